#pragma once
// One row of a table screen, drawn from its cell: label and sub-label (or
// the cell's text and detail text), a switch or a three-segment control when
// the cell has one, and its accessory (check mark or disclosure indicator).
// A row that refuses interaction is greyed out. The row forwards what the
// user does to the cell; the screen redraws the rows afterwards.

#include <QFrame>
#include <QLabel>
#include <memory>

#include "app/screens/IndexPath.h"
#include "app/screens/TableCell.h"

namespace corvane::app {

class ToggleSwitch;
class SegmentedButtons;

class TableRowWidget : public QFrame {
    Q_OBJECT

public:
    TableRowWidget(IndexPath indexPath, std::shared_ptr<TableCell> cell, QWidget* parent = nullptr);

    IndexPath indexPath() const { return indexPath_; }
    const std::shared_ptr<TableCell>& cell() const { return cell_; }
    // The main text as shown.
    QString labelText() const;
    QString subLabelText() const;
    QColor labelColor() const;
    ToggleSwitch* toggle() const { return toggle_; }
    SegmentedButtons* segments() const { return segments_; }
    // Shows the cell's current state again.
    void refresh();
    bool isInteractive() const;

signals:
    // The user taps the row (click, Enter or Space).
    void tapped(IndexPath indexPath);
    // A switch or segment changed; the screen redraws.
    void edited();
    // Up (-1) or down (+1) pressed on the row.
    void moveFocusRequested(int step);

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void activate();

    IndexPath indexPath_;
    std::shared_ptr<TableCell> cell_;
    QLabel* label_ = nullptr;
    QLabel* subLabel_ = nullptr;
    QLabel* accessory_ = nullptr;
    ToggleSwitch* toggle_ = nullptr;
    SegmentedButtons* segments_ = nullptr;
};

}  // namespace corvane::app
