#pragma once
// The pull-to-refresh header above a table: a state machine driven by the
// table's scrolling. Pulling the content down past the threshold arms it
// ("Release to refresh status"), releasing there asks the delegate to
// refresh and keeps the header visible while it loads; when the delegate is
// done the header shows when the data was last updated. Views are plain
// data for a front end to draw; animations are recorded as their target
// and duration.

#include <cstdint>
#include <string>

#include "app/screens/Color.h"
#include "app/screens/EGORefreshTableHeaderDelegate.h"
#include "app/screens/LabelView.h"
#include "app/screens/TableView.h"
#include "app/screens/ViewRect.h"

namespace corvane::app {

class EGORefreshTableHeaderView {
public:
    enum class RefreshState : std::int32_t { Pulling = 0, Normal = 1, Loading = 2 };

    // The arrow image layer.
    struct ArrowLayer {
        ViewRect frame;
        std::string imageName;
        bool aspectFit = true;
        double contentsScale = 1.0;
        // Rotation in radians (π: pointing up) and the duration of the last
        // change (0: without animation).
        double rotation = 0.0;
        double animationDuration = 0.0;
        bool hidden = false;
    };

    struct ActivityIndicator {
        ViewRect frame;
        bool grey = true;
        bool animating = false;
    };

    // Pull distance (points above the top) that arms a refresh, and the top
    // inset that keeps the header visible.
    static constexpr double kTriggerOffset = -65.0;
    static constexpr double kVisibleInset = 60.0;
    static constexpr double kFlipAnimationDuration = 0.18;

    // initWithFrame: the blue arrow and the default text colour.
    explicit EGORefreshTableHeaderView(ViewRect frame);
    // initWithFrame:arrowImageName:textColor:
    EGORefreshTableHeaderView(ViewRect frame, std::string arrowImageName, Color textColor);

    EGORefreshTableHeaderView(const EGORefreshTableHeaderView&) = delete;
    EGORefreshTableHeaderView& operator=(const EGORefreshTableHeaderView&) = delete;

    void refreshLastUpdatedDate();
    void setState(RefreshState state);

    void egoRefreshScrollViewDidScroll(TableView& scrollView);
    void egoRefreshScrollViewDidEndDragging(TableView& scrollView);
    void egoRefreshScrollViewDataSourceDidFinishedLoading(TableView& scrollView);

    // Not owned: the screen owns its header, so the header only points back.
    EGORefreshTableHeaderDelegate* delegate = nullptr;

    RefreshState _state = RefreshState::Normal;
    LabelView _lastUpdatedLabel;
    LabelView _statusLabel;
    ArrowLayer _arrowImage;
    ActivityIndicator _activityView;

    ViewRect frame;
    bool flexibleWidth = true;
    Color backgroundColor;
    // Duration of the last animated change of the table's insets (0: none).
    double lastInsetAnimationDuration = 0.0;

private:
    bool delegateIsLoading();
};

}  // namespace corvane::app
