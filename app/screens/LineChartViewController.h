#pragma once
// The graph screen: a horizontally scrolling line chart of the recorded
// battery statistics, one day of records per screen width at zoom 1 (a range
// shorter than a day fits one width; so does a history shorter than it). It
// loads a window of records through the statistics loader (a progress view
// shows while it runs), remembers the series shown and the range chosen in
// the graph settings file, and answers the user's gestures with an action
// panel, confirmation alerts and window changes. The loader's reports come
// from its thread; everything they change is done on the main run loop.
//
// Gestures are operations here; a front end maps them from its input (see
// kKeyHints for the desktop keys).

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/chart/PCLineChartView.h"
#include "app/model/PlotDBLoader.h"
#include "app/platform/MainRunLoop.h"
#include "app/screens/AlertView.h"
#include "app/screens/ChartImageExporter.h"
#include "app/screens/FlipsideViewControllerDelegate.h"
#include "app/screens/GenericViewController.h"
#include "app/screens/InfoView.h"
#include "shared/PropertyList.h"

namespace corvane::app {

class LineChartViewController;

struct PanelButton {
    std::string title;
    ViewRect frame;
    void (LineChartViewController::*action)();
};

// The action panel: a white panel of stacked buttons, centred when shown.
struct ActionPanel {
    ViewRect frame;
    std::vector<PanelButton> buttons;
    bool visible = false;
};

// The scroll view holding the chart.
struct ChartScrollView {
    ViewRect frame;
    double contentWidth = 0.0;
    double contentHeight = 0.0;
    double contentOffsetX = 0.0;
    double minimumZoomScale = 1.0;
    double maximumZoomScale = 1.0;
    double zoomScale = 1.0;
};

class LineChartViewController : public GenericViewController,
                                public PlotLoaderDelegate,
                                public FlipsideViewControllerDelegate,
                                public AlertViewDelegate {
public:
    static constexpr const char* kSettingsSegue = "GoToParams";
    static constexpr std::uint64_t kWindowSeconds = 604800;
    static constexpr double kRedrawDelay = 2.0;
    static constexpr std::int32_t kDefaultRange = 5;
    static constexpr std::int32_t kRangeRows = 8;
    // The phone screen height the chart's geometry is given for, and its
    // smallest text, in points.
    static constexpr double kPhoneScreenHeight = 480.0;
    static constexpr double kSmallestChartText = 6.0;
    static constexpr double kChartText = 10.0;
    // The desktop keys, shown under the action panel's buttons.
    static constexpr const char* kKeyHints =
        "Click: this panel. Wheel or drag: scroll. Ctrl+wheel: zoom. Left/Right: previous/next week. "
        "Home/End: oldest/newest records. Right click: graph settings. Long press: back.";

    LineChartViewController();
    ~LineChartViewController() override;

    // Screen lifecycle.
    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;
    void viewWillDisappear(bool animated) override;
    void prepareForSegue(const StoryboardSegue& segue, TableCell* sender) override;

    // The window's size changed (rotation or a resized window).
    void setViewSize(double width, double height);
    void orientationChanged();

    // Gestures, each as it ends.
    void Tap1();
    void ToggleView();
    void PanView(double translationX);
    void RotateView();
    void LongTap1();
    void LongTap2();
    void scrollViewDidEndZooming(double factor);
    // Scrolls by the user (wheel, drag), kept inside the content.
    void scrollTo(double contentOffsetX);
    // Home and End.
    void scrollToOldest();
    void scrollToNewest();

    // Action panel buttons.
    void settingsTapped();
    void reloadTapped();
    void prevTapped();
    void nextTapped();
    void saveImageTapped();
    // Writes the whole chart into the file the user chose, and says so.
    void saveImage(const std::string& path);
    void backTapped();
    void cancelTapped();
    void showDialog(bool show);
    // Presses the panel button with this title; NO when there is none.
    bool tapPanelButton(const std::string& buttonTitle);

    void alertViewClickedButtonAtIndex(const AlertView& alertView, int buttonIndex) override;

    // Loader reports (on its thread).
    void dataLoadingStarted(std::int32_t count) override;
    void dataLoadingInProgress(std::int32_t count) override;
    void dataLoaded() override;

    // Graph settings view.
    void flipsideViewControllerDidFinish(FlipsideViewController& controller) override;
    void capacityStateChanged(bool on) override;
    void temperatureStateChanged(bool on) override;
    void instantDrainStateChanged(bool on) override;
    void loadAvg1StateChanged(bool on) override;
    void loadAvg5StateChanged(bool on) override;
    void loadAvg15StateChanged(bool on) override;
    bool getCapacityState() override;
    bool getTemperatureState() override;
    bool getDrainState() override;
    bool getLoadAvg1State() override;
    bool getLoadAvg5State() override;
    bool getLoadAvg15State() override;
    void rangeChanged(std::int32_t row) override;
    std::int32_t getRange() override { return selectInterval; }

    // Loads the chosen range ("range" row).
    void loadFromDBAsync();
    void refreshClicked() { loadFromDBAsync(); }
    void backClicked();
    // Applies the graph settings file to the chart (after every load).
    void reloadGraphStates();
    // Writes one key of the graph settings file (not while applying it).
    void saveState(const std::string& key, const plist::Value& value);
    // Sizes the chart to the records loaded, the range and the zoom.
    void resizeViews();
    // View units per chart point: the chart is laid out as on a phone's
    // screen and drawn larger in a taller window.
    double chartScale() const;
    // How much time one view width shows at zoom 1.
    double secondsPerWidth() const;
    // Resizes, marks the chart for redraw and scrolls to the newest records.
    void needsDisplay();

    // The progress view while a load runs, else none.
    std::shared_ptr<InfoView> infoView() const;

    bool reloadingPrefs = false;
    double scale = 1.0;
    std::int32_t selectInterval = kDefaultRange;
    // The system's smallest readable text, in view units (0: no minimum).
    double smallestTextSize = 0.0;
    bool navigationBarHidden = false;
    // Gestures answer only while the action panel is hidden.
    bool gesturesEnabled = true;
    ViewRect view{0.0, 0.0, 320.0, 480.0};
    ChartScrollView scrollView;
    ActionPanel dialog;
    PCLineChartView lineChartView;
    // Writes "Save image" files; none: the button reports it cannot.
    ChartImageExporter* imageExporter = nullptr;

private:
    void attachView();
    // The chart's text sizes for the window: never below `smallestTextSize`.
    void applyTextSizes();
    void buildActionPanel();
    void applyLoadedData();
    void doneLoadingTableViewData();
    void confirm(const char* alertTitle, const char* message);
    // Runs `load` (one of the loader's window loads) with a new progress view
    // in place before the loader's thread can report the record count to it;
    // a load already running keeps its own view.
    void startLoad(const std::function<bool(PlotDBLoader&)>& load);
    void changeSeries(const char* key, const char* seriesName, bool on);
    bool seriesState(const char* seriesName) const;
    PCLineChartViewComponent* series(const char* seriesName) const;
    void setInfoView(std::shared_ptr<InfoView> view);
    std::int32_t storedRange() const;

    // Closures run on the main loop check it first: a screen gone stays gone.
    std::shared_ptr<LineChartViewController*> alive_;
    std::set<MainRunLoop::TimerId> timers_;
    mutable std::mutex infoViewMutex_;
    std::shared_ptr<InfoView> infoView_;
    // A range chosen while a load ran: loaded once that load ends.
    bool reloadPending_ = false;
    // The missing "range" has been written (and loaded) once already.
    bool defaultRangeApplied_ = false;
};

}  // namespace corvane::app
