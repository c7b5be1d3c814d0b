#pragma once
// The loading-progress view of the graph screen: a title, a line of text
// and a progress bar. The loader's progress arrives on its own thread; the
// view's texts and bar change on the main thread (every 100 records).

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "app/screens/LabelView.h"

namespace corvane::app {

struct ProgressBar {
    float progress = 0.0f;
    bool hidden = false;
};

class InfoView : public std::enable_shared_from_this<InfoView> {
public:
    // Reports from the loader are applied only this often (in records).
    static constexpr std::int32_t kProgressStep = 100;

    LabelView title;
    LabelView info;
    ProgressBar progress;

    // The texts of a view just loaded: "Graph initialization" and "init".
    void viewDidLoad();
    // Sets the information text on the main thread. Any thread.
    void setInfoMsg(const std::string& text);

    // Any thread, as the loader reports.
    void dataLoadingStarted(std::int32_t count);
    void dataLoadingInProgress(std::int32_t count);
    void dataLoaded();

    std::int32_t recordCount() const { return recordCount_.load(); }

private:
    void showProgress(std::int32_t count, std::int32_t total);
    std::atomic<std::int32_t> recordCount_{0};
};

}  // namespace corvane::app
