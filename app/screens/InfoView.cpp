#include "app/screens/InfoView.h"

#include "app/model/AppLog.h"
#include "app/model/Localized.h"
#include "app/platform/MainRunLoop.h"

namespace corvane::app {

void InfoView::viewDidLoad() {
    title.text = L("Graph initialization");
    info.text = "init";
}

void InfoView::setInfoMsg(const std::string& text) {
    MainRunLoop::main().post([weak = weak_from_this(), text] {
        if (auto view = weak.lock()) view->info.text = text;
    });
}

void InfoView::dataLoadingStarted(std::int32_t count) {
    AMPWISE_LOG("Found %d records in DB", count);
    recordCount_.store(count);
    dataLoadingInProgress(0);
}

void InfoView::dataLoadingInProgress(std::int32_t count) {
    const std::int32_t total = recordCount_.load();
    // Decided here so that a long load does not post one update per record.
    if (count % kProgressStep != 0 && count != total) return;
    MainRunLoop::main().post([weak = weak_from_this(), count, total] {
        if (auto view = weak.lock()) view->showProgress(count, total);
    });
}

void InfoView::dataLoaded() { dataLoadingInProgress(recordCount_.load()); }

void InfoView::showProgress(std::int32_t count, std::int32_t total) {
    if (count % kProgressStep == 0) {
        const float fraction = total > 0 ? static_cast<float>(count) / static_cast<float>(total) : 0.0f;
        progress.progress = fraction;
        info.text = L("loading %@ elements so far");
        if (const auto at = info.text.find("%@"); at != std::string::npos)
            info.text.replace(at, 2, std::to_string(count));
        AMPWISE_LOG("dataLoadingInProgress count=%d, %f %%", count, fraction * 100.0);
    }
    if (count == total) progress.hidden = true;
}

}  // namespace corvane::app
