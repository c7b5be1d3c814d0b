#pragma once
// One row of a table as a screen lays it out: the model the front end draws.
// Subclasses are the app's own cell kinds (switch, list, segmented,
// strategy and so on).

#include <cstdint>
#include <optional>
#include <string>

#include "app/screens/Color.h"

namespace corvane::app {

enum class CellAccessory { None, Checkmark, DisclosureIndicator };
enum class CellSelectionStyle { None, Default };

class TableCell {
public:
    explicit TableCell(std::string reuseIdentifier) : reuseIdentifier_(std::move(reuseIdentifier)) {}
    virtual ~TableCell() = default;
    TableCell(const TableCell&) = delete;
    TableCell& operator=(const TableCell&) = delete;

    // The prototype the cell was made from.
    const std::string& reuseIdentifier() const { return reuseIdentifier_; }

    // The standard main and detail labels.
    std::string text;
    std::string detailText;
    std::optional<Color> textColor;
    bool textEnabled = true;
    bool textFlexibleWidth = false;

    CellAccessory accessoryType = CellAccessory::None;
    // None: the row is not highlighted when touched.
    CellSelectionStyle selectionStyle = CellSelectionStyle::Default;
    bool userInteractionEnabled = true;
    std::int64_t tag = 0;

    bool isSelected() const { return selected_; }
    // Called by the table when the row becomes selected or unselected.
    virtual void setSelected(bool selected, bool animated);

private:
    std::string reuseIdentifier_;
    bool selected_ = false;
};

}  // namespace corvane::app
