#include "app/screens/LineChartViewController.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <system_error>

#include "app/model/AppLog.h"
#include "app/model/Localized.h"
#include "app/platform/NetworkActivityIndicator.h"
#include "app/screens/FlipsideViewController.h"
#include "shared/Paths.h"
#include "shared/PropertyListFile.h"

namespace corvane::app {

namespace {

constexpr double kMinimumZoom = 0.5;
constexpr double kMaximumZoom = 4.0;
constexpr double kLargestScale = 1.5;
constexpr double kPanThreshold = 50.0;
constexpr double kButtonHeight = 40.0;
constexpr double kButtonGap = 4.0;
constexpr double kCancelGap = 8.0;
constexpr double kSecondsPerDay = 86400.0;
// The chart's left and right margins of its time axis, and the room a time
// label needs on its row, in multiples of its text size (labels alternate
// between two rows).
constexpr double kTimeAxisMargin = 45.0;
constexpr double kTimeLabelSpacing = 4.5;

constexpr const char* kWeekChange = "Week change";
constexpr const char* kLoadPrevious = "Load previous week ?";
constexpr const char* kLoadNext = "Load next week ?";
constexpr const char* kReloadTitle = "Reload data";
constexpr const char* kReloadMessage = "Reload data ?";

// The graph settings keys, the series they show and their state changes.
struct SeriesKey {
    const char* key;
    const char* seriesName;
    void (LineChartViewController::*changed)(bool);
};
constexpr SeriesKey kSeriesKeys[] = {
    {"capacity", "CurrentCapacity", &LineChartViewController::capacityStateChanged},
    {"temperature", "Temperature", &LineChartViewController::temperatureStateChanged},
    {"drain", "InstantAmperage", &LineChartViewController::instantDrainStateChanged},
    {"load1", "LoadAvg1", &LineChartViewController::loadAvg1StateChanged},
    {"load5", "LoadAvg5", &LineChartViewController::loadAvg5StateChanged},
    {"load15", "LoadAvg15", &LineChartViewController::loadAvg15StateChanged},
};
constexpr const char* kRangeKey = "range";

std::filesystem::path graphSettingsFile() { return paths::resolve(paths::kGraphSettings); }

}  // namespace

LineChartViewController::LineChartViewController() : alive_(std::make_shared<LineChartViewController*>(this)) {}

LineChartViewController::~LineChartViewController() {
    alive_.reset();
    // The loader is process-wide: it must not call a screen that is gone.
    if (isViewLoaded()) PlotDBLoader::sharedInstance().detachDelegate(this);
    for (MainRunLoop::TimerId timer : timers_) MainRunLoop::main().invalidateTimer(timer);
}

std::shared_ptr<InfoView> LineChartViewController::infoView() const {
    std::lock_guard guard(infoViewMutex_);
    return infoView_;
}

void LineChartViewController::setInfoView(std::shared_ptr<InfoView> view) {
    std::lock_guard guard(infoViewMutex_);
    infoView_ = std::move(view);
}

std::int32_t LineChartViewController::storedRange() const {
    const auto settings = plist::readDictionary(graphSettingsFile());
    const plist::Value* range = settings ? settings->find(kRangeKey) : nullptr;
    if (range == nullptr || !range->isNumber()) return kDefaultRange;
    return range->intValue();
}

void LineChartViewController::viewDidLoad() {
    setInfoView(nullptr);
    scale = 1.0;
    PlotDBLoader& loader = PlotDBLoader::sharedInstance();
    loader.setDelegate(this);
    loader.setTimeWindowSizeSeconds(kWindowSeconds);
    gesturesEnabled = true;
    scrollView.minimumZoomScale = kMinimumZoom;
    scrollView.maximumZoomScale = kMaximumZoom;
    attachView();
    buildActionPanel();
    selectInterval = storedRange();
}

void LineChartViewController::attachView() {
    scrollView.frame = view;
    scrollView.contentWidth = view.width;
    scrollView.contentHeight = view.height;
    lineChartView.frame = {0.0, 0.0, view.width, view.height};
    lineChartView.basicInit();
    lineChartView.autoscaleYAxis = true;
    lineChartView.backgroundColor = {1.0f, 1.0f, 1.0f, 1.0f};
    titleLabel.text = "Line Chart";
    lineChartView.minValue = -40.0f;
    lineChartView.maxValue = 100.0f;
}

void LineChartViewController::buildActionPanel() {
    dialog.frame = {5.0, 15.0, view.width - 10.0, view.height - 20.0};
    dialog.buttons.clear();
    const std::pair<const char*, void (LineChartViewController::*)()> buttons[] = {
        {"Settings", &LineChartViewController::settingsTapped},
        {"Reload data", &LineChartViewController::reloadTapped},
        {kLoadPrevious, &LineChartViewController::prevTapped},
        {kLoadNext, &LineChartViewController::nextTapped},
        {"Save image", &LineChartViewController::saveImageTapped},
        {"<< Ampwise", &LineChartViewController::backTapped},
        {"Cancel", &LineChartViewController::cancelTapped},
    };
    double y = 0.0;
    for (const auto& [buttonTitle, action] : buttons) {
        if (action == &LineChartViewController::cancelTapped) y += kCancelGap;
        dialog.buttons.push_back({L(buttonTitle), {0.0, y, dialog.frame.width, kButtonHeight}, action});
        y += kButtonHeight + kButtonGap;
    }
    dialog.frame.height = y;
}

void LineChartViewController::viewWillAppear(bool /*animated*/) {
    navigationBarHidden = true;
    PlotDBLoader& loader = PlotDBLoader::sharedInstance();
    if (loader.plots().empty()) {
        loader.loadEndTimes();
        loadFromDBAsync();
    } else {
        applyLoadedData();
    }
}

void LineChartViewController::viewWillDisappear(bool /*animated*/) { navigationBarHidden = false; }

void LineChartViewController::prepareForSegue(const StoryboardSegue& segue, TableCell* /*sender*/) {
    if (segue.identifier != kSettingsSegue) return;
    if (auto* settings = dynamic_cast<FlipsideViewController*>(segue.destination)) settings->delegate = this;
}

void LineChartViewController::setViewSize(double width, double height) {
    view = {0.0, 0.0, width, height};
    scrollView.frame = view;
    if (!isViewLoaded()) return;
    dialog.frame.width = width - 10.0;
    for (PanelButton& button : dialog.buttons) button.frame.width = dialog.frame.width;
    orientationChanged();
}

void LineChartViewController::orientationChanged() {
    resizeViews();
    lineChartView.setNeedsDisplay();
    AMPWISE_LOG("Redraw because of rotation");
}

// Loading.

void LineChartViewController::startLoad(const std::function<bool(PlotDBLoader&)>& load) {
    PlotDBLoader& loader = PlotDBLoader::sharedInstance();
    if (loader.isLoading()) return;
    auto progress = std::make_shared<InfoView>();
    progress->viewDidLoad();
    setInfoView(std::move(progress));
    if (!load(loader)) setInfoView(nullptr);
}

void LineChartViewController::loadFromDBAsync() {
    const std::int32_t range = selectInterval;
    startLoad([range](PlotDBLoader& loader) {
        if (range == 0) return loader.loadLastSeconds(3600);
        if (range == kRangeRows - 1) return loader.loadAllData();
        return loader.loadAllDataWithLimit(range);
    });
}

void LineChartViewController::dataLoadingStarted(std::int32_t count) {
    if (auto progress = infoView()) progress->dataLoadingStarted(count);
}

void LineChartViewController::dataLoadingInProgress(std::int32_t count) {
    if (auto progress = infoView()) progress->dataLoadingInProgress(count);
}

void LineChartViewController::dataLoaded() {
    if (auto progress = infoView()) progress->dataLoaded();
    MainRunLoop::main().post([alive = std::weak_ptr<LineChartViewController*>(alive_)] {
        if (auto screen = alive.lock()) (*screen)->applyLoadedData();
    });
}

void LineChartViewController::applyLoadedData() {
    setInfoView(nullptr);
    NetworkActivityIndicator::setVisible(false);
    PlotDBLoader& loader = PlotDBLoader::sharedInstance();
    PlotDBLoader::Components plots = loader.plots();
    if (plots.empty())
        lineChartView.components.reset();
    else
        lineChartView.components = std::move(plots);
    AMPWISE_LOG("Data loaded with %zu series", lineChartView.components ? lineChartView.components->size() : 0);
    reloadGraphStates();
    needsDisplay();
    doneLoadingTableViewData();
    if (const std::string error = loader.lastLoadError(); !error.empty()) {
        showAlert({.title = L("Graph"), .message = L(error), .cancelButtonTitle = L("Dismiss")});
    }
    if (reloadPending_ && !loader.isLoading()) {
        reloadPending_ = false;
        loadFromDBAsync();
    }
}

void LineChartViewController::doneLoadingTableViewData() {
    auto timer = std::make_shared<MainRunLoop::TimerId>(0);
    *timer = MainRunLoop::main().scheduleTimer(kRedrawDelay, [this, timer] {
        timers_.erase(*timer);
        AMPWISE_LOG("In timer to setNeedDisplay");
        needsDisplay();
    });
    timers_.insert(*timer);
}

// Sizing and drawing.

double LineChartViewController::chartScale() const { return std::max(1.0, view.height / kPhoneScreenHeight); }

void LineChartViewController::applyTextSizes() {
    // In chart points: drawn chartScale() times larger, at least the
    // system's smallest readable text.
    const double smallest = smallestTextSize / chartScale();
    lineChartView.yLabelFont.pointSize = std::max(kSmallestChartText, smallest);
    lineChartView.xLabelFont.pointSize = std::max(kSmallestChartText, smallest);
    lineChartView.valueLabelFont.pointSize = std::max(kChartText, smallest);
    lineChartView.legendFont.pointSize = std::max(kChartText, smallest);
}

double LineChartViewController::secondsPerWidth() const {
    switch (selectInterval) {
        case 0: return 3600.0;
        case 1: return 21600.0;
        case 2: return 43200.0;
        default: return kSecondsPerDay;
    }
}

void LineChartViewController::resizeViews() {
    PlotDBLoader& loader = PlotDBLoader::sharedInstance();
    const std::uint64_t first = loader.start();
    const std::uint64_t last = loader.end();
    // The chart spreads the records it holds over its whole width: their
    // span, not the window asked for, sets how wide it is.
    std::optional<std::pair<double, double>> recorded;
    if (const PCLineChartViewComponent* times = series(PCLineChartView::kTimeSeries)) {
        for (const ChartPoint& point : times->points) {
            if (!point) continue;
            if (!recorded) recorded.emplace(*point, *point);
            recorded->second = *point;
        }
    }
    const double span = recorded ? std::max(0.0, recorded->second - recorded->first) : 0.0;
    const auto intervals = static_cast<std::uint64_t>(3.0 * std::floor(span / 25000.0) * scale);
    // A short range shows whole on one width; longer ones a day per width (a
    // week of records: seven widths). A history shorter than that fills the
    // width, and nothing recorded shows its message where the user looks.
    const double widths = recorded ? std::max(1.0, span / secondsPerWidth() * scale) : 1.0;
    AMPWISE_LOG("start = %ld, end = %ld, width = %ld, %02f days", static_cast<long>(first), static_cast<long>(last),
                static_cast<long>(view.width), widths);
    const double width = view.width * widths;
    scrollView.contentWidth = width;
    scrollView.contentHeight = view.height;
    scrollView.contentOffsetX = std::clamp(scrollView.contentOffsetX, 0.0, std::max(0.0, width - view.width));
    const double points = chartScale();
    lineChartView.frame = {0.0, 0.0, width / points, view.height / points};
    applyTextSizes();
    // No more time labels than fit side by side on their two rows.
    const double timeAxis = std::max(0.0, lineChartView.frame.width - 2 * kTimeAxisMargin);
    const auto fitting =
        static_cast<std::uint64_t>(timeAxis / (kTimeLabelSpacing * lineChartView.xLabelFont.pointSize));
    lineChartView.numXIntervals = std::max<std::uint64_t>(1, std::min(std::max<std::uint64_t>(intervals, 5), fitting));
    setInfoView(nullptr);
}

void LineChartViewController::needsDisplay() {
    AMPWISE_LOG("Enter");
    resizeViews();
    lineChartView.setNeedsDisplay();
    scrollView.contentOffsetX = std::max(0.0, scrollView.contentWidth - view.width);
    AMPWISE_LOG("Exit");
    NetworkActivityIndicator::setVisible(false);
}

// Gestures.

void LineChartViewController::Tap1() {
    if (!gesturesEnabled) return;
    AMPWISE_LOG("Tap1 : touches=%d", 1);
    showDialog(true);
}

void LineChartViewController::ToggleView() {
    if (!gesturesEnabled) return;
    if (scrollView.contentOffsetX > scrollView.contentWidth / 2)
        scrollToOldest();
    else
        scrollToNewest();
}

void LineChartViewController::scrollTo(double contentOffsetX) {
    scrollView.contentOffsetX = std::clamp(contentOffsetX, 0.0, std::max(0.0, scrollView.contentWidth - view.width));
}

void LineChartViewController::scrollToOldest() { scrollView.contentOffsetX = 0.0; }

void LineChartViewController::scrollToNewest() {
    scrollView.contentOffsetX = std::max(0.0, scrollView.contentWidth - view.width);
}

void LineChartViewController::PanView(double translationX) {
    if (!gesturesEnabled) return;
    PlotDBLoader& loader = PlotDBLoader::sharedInstance();
    if (translationX > kPanThreshold) {
        if (loader.minTime() != loader.start()) confirm(kWeekChange, kLoadPrevious);
        AMPWISE_LOG("Pan vers la droite = %f, %f", translationX, 0.0);
    } else if (translationX < -kPanThreshold) {
        if (loader.maxTime() != loader.end()) confirm(kWeekChange, kLoadNext);
        AMPWISE_LOG("Pan vers la gauche = %f, %f", translationX, 0.0);
    }
}

void LineChartViewController::RotateView() {
    AMPWISE_LOG("Rotation gesture detected");
    if (!gesturesEnabled) return;
    AMPWISE_LOG("Rotation gesture ended : reloading");
    confirm(kReloadTitle, kReloadMessage);
}

void LineChartViewController::LongTap1() {
    if (!gesturesEnabled) return;
    AMPWISE_LOG("Tap3 : touches=%d", 1);
    backClicked();
}

void LineChartViewController::LongTap2() {
    if (!gesturesEnabled) return;
    AMPWISE_LOG("Tap4 : touches=%d", 2);
    performSegueWithIdentifier(kSettingsSegue, nullptr);
}

void LineChartViewController::scrollViewDidEndZooming(double factor) {
    const double newScale = std::min(scale * factor, kLargestScale);
    AMPWISE_LOG("Zoom foctor in scrollViewDidEndZooming : lScale=%f, scale=%f, newScale=%f", factor, scale, newScale);
    AMPWISE_LOG("Zoom limits of scrollView min=%f, max=%f", scrollView.minimumZoomScale, scrollView.maximumZoomScale);
    scrollView.zoomScale = 1.0;
    if (factor < kMinimumZoom || factor > kMaximumZoom) return;
    scale = newScale;
    needsDisplay();
}

// Action panel.

void LineChartViewController::showDialog(bool show) {
    gesturesEnabled = !show;
    dialog.visible = show;
    if (show) {
        dialog.frame.x = scrollView.contentOffsetX + (view.width - dialog.frame.width) / 2;
        dialog.frame.y = (view.height - dialog.frame.height) / 2;
    }
}

bool LineChartViewController::tapPanelButton(const std::string& buttonTitle) {
    if (!dialog.visible) return false;
    for (const PanelButton& button : dialog.buttons) {
        if (button.title == buttonTitle) {
            (this->*button.action)();
            return true;
        }
    }
    return false;
}

void LineChartViewController::confirm(const char* alertTitle, const char* message) {
    showAlert({.title = L(alertTitle),
               .message = L(message),
               .cancelButtonTitle = L("Cancel"),
               .otherButtonTitles = {L("OK")},
               .delegate = this});
}

void LineChartViewController::settingsTapped() {
    showDialog(false);
    performSegueWithIdentifier(kSettingsSegue, nullptr);
}

void LineChartViewController::reloadTapped() {
    showDialog(false);
    confirm(kReloadTitle, kReloadMessage);
}

void LineChartViewController::prevTapped() {
    showDialog(false);
    confirm(kWeekChange, kLoadPrevious);
}

void LineChartViewController::nextTapped() {
    showDialog(false);
    confirm(kWeekChange, kLoadNext);
}

void LineChartViewController::saveImageTapped() {
    showDialog(false);
    if (imageExporter == nullptr) {
        showAlert(
            {.title = L("Error"), .message = L("The image could not be saved"), .cancelButtonTitle = L("Dismiss")});
        return;
    }
    // The answer may come after this screen has gone.
    imageExporter->chooseImagePath([alive = std::weak_ptr<LineChartViewController*>(alive_)](const std::string& path) {
        if (auto screen = alive.lock()) (*screen)->saveImage(path);
    });
}

void LineChartViewController::saveImage(const std::string& path) {
    if (imageExporter != nullptr && imageExporter->writeImage(lineChartView, path)) {
        AMPWISE_LOG("Chart saved in %s", path.c_str());
        showAlert({.title = L("Image saved"), .message = path, .cancelButtonTitle = L("Dismiss")});
    } else {
        showAlert(
            {.title = L("Error"), .message = L("The image could not be saved"), .cancelButtonTitle = L("Dismiss")});
    }
}

void LineChartViewController::backTapped() {
    showDialog(false);
    backClicked();
}

void LineChartViewController::cancelTapped() {
    AMPWISE_LOG("Cancel tapped");
    showDialog(false);
}

void LineChartViewController::backClicked() {
    if (Navigator* navigator = navigationController()) navigator->popViewControllerAnimated(true);
}

void LineChartViewController::alertViewClickedButtonAtIndex(const AlertView& alertView, int buttonIndex) {
    if (buttonIndex != 1) return;
    PlotDBLoader& loader = PlotDBLoader::sharedInstance();
    if (alertView.message == L(kLoadNext)) {
        AMPWISE_LOG("Loading next week");
        scale = 1.0;
        startLoad(&PlotDBLoader::loadNextTimeWindow);
    } else if (alertView.message == L(kReloadMessage)) {
        AMPWISE_LOG("Reloading data");
        scale = 1.0;
        // The time bounds are read only between loads; a reload asked for
        // during one is dropped (that load's end redraws the chart anyway).
        if (!loader.loadEndTimes() && loader.isLoading()) return;
        loadFromDBAsync();
    } else {
        AMPWISE_LOG("Loading previous week");
        scale = 1.0;
        startLoad(&PlotDBLoader::loadPreviousTimeWindow);
    }
}

// Graph settings.

void LineChartViewController::flipsideViewControllerDidFinish(FlipsideViewController& /*controller*/) {
    if (Navigator* navigator = navigationController()) navigator->popViewControllerAnimated(true);
    lineChartView.setNeedsDisplay();
}

PCLineChartViewComponent* LineChartViewController::series(const char* seriesName) const {
    if (!lineChartView.components) return nullptr;
    const auto found = lineChartView.components->find(seriesName);
    return found == lineChartView.components->end() ? nullptr : found->second.get();
}

void LineChartViewController::changeSeries(const char* key, const char* seriesName, bool on) {
    saveState(key, on);
    if (PCLineChartViewComponent* shown = series(seriesName)) shown->shouldDraw = on;
}

bool LineChartViewController::seriesState(const char* seriesName) const {
    const PCLineChartViewComponent* shown = series(seriesName);
    return shown != nullptr && shown->shouldDraw;
}

void LineChartViewController::capacityStateChanged(bool on) { changeSeries("capacity", "CurrentCapacity", on); }
void LineChartViewController::temperatureStateChanged(bool on) { changeSeries("temperature", "Temperature", on); }
void LineChartViewController::instantDrainStateChanged(bool on) { changeSeries("drain", "InstantAmperage", on); }
void LineChartViewController::loadAvg1StateChanged(bool on) { changeSeries("load1", "LoadAvg1", on); }
void LineChartViewController::loadAvg5StateChanged(bool on) { changeSeries("load5", "LoadAvg5", on); }
void LineChartViewController::loadAvg15StateChanged(bool on) { changeSeries("load15", "LoadAvg15", on); }
bool LineChartViewController::getCapacityState() { return seriesState("CurrentCapacity"); }
bool LineChartViewController::getTemperatureState() { return seriesState("Temperature"); }
bool LineChartViewController::getDrainState() { return seriesState("InstantAmperage"); }
bool LineChartViewController::getLoadAvg1State() { return seriesState("LoadAvg1"); }
bool LineChartViewController::getLoadAvg5State() { return seriesState("LoadAvg5"); }
bool LineChartViewController::getLoadAvg15State() { return seriesState("LoadAvg15"); }

void LineChartViewController::rangeChanged(std::int32_t row) {
    saveState(kRangeKey, row);
    selectInterval = row;
    AMPWISE_LOG("select interval = %d", row);
    if (reloadingPrefs) return;
    if (PlotDBLoader::sharedInstance().isLoading())
        reloadPending_ = true;
    else
        loadFromDBAsync();
}

void LineChartViewController::reloadGraphStates() {
    reloadingPrefs = true;
    const std::filesystem::path file = graphSettingsFile();
    std::error_code ignored;
    if (!std::filesystem::exists(file, ignored)) {
        AMPWISE_LOG("File not found %s", file.c_str());
    } else if (const auto settings = plist::readDictionary(file); !settings) {
        AMPWISE_LOG("PList is corrupted");
    } else {
        for (const SeriesKey& entry : kSeriesKeys) {
            if (const plist::Value* value = settings->find(entry.key)) {
                (this->*entry.changed)(value->boolValue());
            } else if (entry.changed == &LineChartViewController::capacityStateChanged) {
                capacityStateChanged(true);
            } else {
                reloadingPrefs = false;
                (this->*entry.changed)(false);
                reloadingPrefs = true;
            }
        }
        if (const plist::Value* range = settings->find(kRangeKey)) {
            rangeChanged(range->intValue());
        } else {
            // Written and loaded once: a file that cannot be written must not
            // make every load start the next one.
            reloadingPrefs = defaultRangeApplied_;
            defaultRangeApplied_ = true;
            rangeChanged(kDefaultRange);
            reloadingPrefs = true;
        }
    }
    reloadingPrefs = false;
}

void LineChartViewController::saveState(const std::string& key, const plist::Value& value) {
    if (reloadingPrefs) return;
    const std::filesystem::path file = graphSettingsFile();
    const std::string shown = value.text().value_or("?");
    std::error_code ignored;
    const bool exists = std::filesystem::exists(file, ignored);
    if (exists) {
        if (auto settings = plist::readDictionary(file)) {
            settings->set(key, value);
            if (const Outcome written = plist::writeFile(file, plist::Value(std::move(*settings))))
                AMPWISE_LOG("Écriture de %s=%s dans le fichier %s.", key.c_str(), shown.c_str(), file.c_str());
            else
                AMPWISE_LOG("Cannot write %s: %s", file.c_str(), written.message().c_str());
            return;
        }
        AMPWISE_LOG("Le fichier %s n'est pas au bon format : écrasement !", file.c_str());
    } else {
        AMPWISE_LOG("Le fichier %s n'existe pas : création !", file.c_str());
    }
    plist::Dictionary fresh;
    fresh.set(key, value);
    if (const Outcome written = plist::writeFile(file, plist::Value(std::move(fresh))); !written)
        AMPWISE_LOG("Cannot write %s: %s", file.c_str(), written.message().c_str());
}

}  // namespace corvane::app
