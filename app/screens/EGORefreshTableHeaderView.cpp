#include "app/screens/EGORefreshTableHeaderView.h"

#include <algorithm>
#include <numbers>

#include "app/model/DateText.h"
#include "app/model/DisplayFormat.h"
#include "app/model/Localized.h"
#include "app/model/UserDefaults.h"
#include "shared/Names.h"

namespace corvane::app {

namespace {

constexpr Color kDefaultTextColor{87.0f / 255.0f, 108.0f / 255.0f, 137.0f / 255.0f, 1.0f};
constexpr Color kBackgroundColor{226.0f / 255.0f, 231.0f / 255.0f, 237.0f / 255.0f, 1.0f};
constexpr Color kShadowColor{0.9f, 0.9f, 0.9f, 1.0f};
constexpr double kTriggerInsetAnimationDuration = 0.2;
constexpr double kFinishedInsetAnimationDuration = 0.3;

LabelView headerLabel(ViewRect frame, double fontSize, bool bold, Color textColor) {
    LabelView label;
    label.frame = frame;
    label.fontSize = fontSize;
    label.boldSystemFont = bold;
    label.textColor = textColor;
    label.shadowColor = kShadowColor;
    label.shadowOffsetX = 0.0;
    label.shadowOffsetY = 1.0;
    label.textAlignment = TextAlignment::Center;
    label.flexibleWidth = true;
    return label;
}

}  // namespace

EGORefreshTableHeaderView::EGORefreshTableHeaderView(ViewRect frame)
    : EGORefreshTableHeaderView(frame, "blueArrow.png", kDefaultTextColor) {}

EGORefreshTableHeaderView::EGORefreshTableHeaderView(ViewRect frame, std::string arrowImageName, Color textColor)
    : frame(frame), backgroundColor(kBackgroundColor) {
    const double h = frame.height;
    const double w = frame.width;
    _lastUpdatedLabel = headerLabel({0.0, h - 30.0, w, 20.0}, 12.0, false, textColor);
    _statusLabel = headerLabel({0.0, h - 48.0, w, 20.0}, 13.0, true, textColor);
    _arrowImage.frame = {25.0, h - 65.0, 30.0, 55.0};
    _arrowImage.imageName = std::move(arrowImageName);
    _activityView.frame = {25.0, h - 38.0, 20.0, 20.0};
    setState(RefreshState::Normal);
}

void EGORefreshTableHeaderView::refreshLastUpdatedDate() {
    const std::optional<double> lastUpdated =
        delegate != nullptr ? delegate->egoRefreshTableHeaderDataSourceLastUpdated(*this) : std::nullopt;
    if (!lastUpdated) {
        _lastUpdatedLabel.text.clear();
        return;
    }
    _lastUpdatedLabel.text = DisplayFormat::apply(L("Last update: %@"), {DateText::shortDateShortTime(*lastUpdated)});
    UserDefaults& defaults = UserDefaults::standardUserDefaults();
    defaults.setObject(userdefaults::kRefreshHeaderLastRefresh, _lastUpdatedLabel.text);
    defaults.synchronize();
}

void EGORefreshTableHeaderView::setState(RefreshState state) {
    switch (state) {
        case RefreshState::Pulling:
            _statusLabel.text = L("Release to refresh status");
            _arrowImage.rotation = std::numbers::pi;
            _arrowImage.animationDuration = kFlipAnimationDuration;
            break;
        case RefreshState::Normal:
            // Coming back from pulling the arrow turns back; otherwise it is
            // simply reset.
            _arrowImage.animationDuration = _state == RefreshState::Pulling ? kFlipAnimationDuration : 0.0;
            _statusLabel.text = L("Pull down to refresh status");
            _activityView.animating = false;
            _arrowImage.hidden = false;
            _arrowImage.rotation = 0.0;
            refreshLastUpdatedDate();
            break;
        case RefreshState::Loading:
            _statusLabel.text = L("Loading Status");
            _activityView.animating = true;
            _arrowImage.hidden = true;
            _arrowImage.animationDuration = 0.0;
            break;
    }
    _state = state;
}

bool EGORefreshTableHeaderView::delegateIsLoading() {
    return delegate != nullptr && delegate->egoRefreshTableHeaderDataSourceIsLoading(*this);
}

void EGORefreshTableHeaderView::egoRefreshScrollViewDidScroll(TableView& scrollView) {
    const double y = scrollView.contentOffsetY;
    if (_state == RefreshState::Loading) {
        const double top = std::min(std::max(-y, 0.0), kVisibleInset);
        scrollView.contentInset = EdgeInsets{top, 0.0, 0.0, 0.0};
        lastInsetAnimationDuration = 0.0;
        return;
    }
    if (!scrollView.isDragging()) return;
    const bool loading = delegateIsLoading();
    if (_state == RefreshState::Pulling && y > kTriggerOffset && y < 0.0 && !loading) {
        setState(RefreshState::Normal);
    } else if (_state == RefreshState::Normal && y < kTriggerOffset && !loading) {
        setState(RefreshState::Pulling);
    }
    if (scrollView.contentInset.top != 0.0) {
        scrollView.contentInset = EdgeInsets{kVisibleInset, 0.0, 0.0, 0.0};
        lastInsetAnimationDuration = 0.0;
    }
}

void EGORefreshTableHeaderView::egoRefreshScrollViewDidEndDragging(TableView& scrollView) {
    if (scrollView.contentOffsetY > kTriggerOffset || delegateIsLoading()) return;
    if (delegate != nullptr) delegate->egoRefreshTableHeaderDidTriggerRefresh(*this);
    setState(RefreshState::Loading);
    scrollView.contentInset = EdgeInsets{kVisibleInset, 0.0, 0.0, 0.0};
    lastInsetAnimationDuration = kTriggerInsetAnimationDuration;
}

void EGORefreshTableHeaderView::egoRefreshScrollViewDataSourceDidFinishedLoading(TableView& scrollView) {
    scrollView.contentInset = EdgeInsets{kVisibleInset, 0.0, 0.0, 0.0};
    lastInsetAnimationDuration = kFinishedInsetAnimationDuration;
    setState(RefreshState::Normal);
}

}  // namespace corvane::app
