#pragma once
// A row of the strategy chooser; its tag is the strategy number. When it
// becomes selected it shows a check mark and tells its delegate the
// strategy; when it becomes unselected the check mark goes.

#include "app/screens/StrategyChooserDelegate.h"
#include "app/screens/TableCell.h"

namespace corvane::app {

class StrategyChooserCell : public TableCell {
public:
    using TableCell::TableCell;

    StrategyChooserDelegate* delegate = nullptr;

    void setSelected(bool selected, bool animated) override;
};

}  // namespace corvane::app
