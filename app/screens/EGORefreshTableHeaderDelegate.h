#pragma once
// What the pull-to-refresh header asks of the screen it sits on.

#include <optional>

namespace corvane::app {

class EGORefreshTableHeaderView;

class EGORefreshTableHeaderDelegate {
public:
    virtual ~EGORefreshTableHeaderDelegate() = default;
    // The user released the table far enough down: refresh.
    virtual void egoRefreshTableHeaderDidTriggerRefresh(EGORefreshTableHeaderView& view) = 0;
    // Whether a refresh is running.
    virtual bool egoRefreshTableHeaderDataSourceIsLoading(EGORefreshTableHeaderView& view) = 0;
    // Optional: the time of the last refresh in seconds since 1970; none
    // when the delegate does not answer it.
    virtual std::optional<double> egoRefreshTableHeaderDataSourceLastUpdated(EGORefreshTableHeaderView& /*view*/) {
        return std::nullopt;
    }
};

}  // namespace corvane::app
