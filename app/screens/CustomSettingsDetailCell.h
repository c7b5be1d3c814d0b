#pragma once
// A choice of the duration picker: it shows a check mark while selected and
// none otherwise.

#include "app/screens/TableCell.h"

namespace corvane::app {

class CustomSettingsDetailCell : public TableCell {
public:
    using TableCell::TableCell;

    void setSelected(bool selected, bool animated) override;
};

}  // namespace corvane::app
