#pragma once
// A table screen drawn as grouped sections of rows, with the section
// headings the screen gives. It forwards taps, switches and segments to the
// screen's table and redraws every visible row afterwards; it rebuilds the
// rows when the table reports a change of its content. On the battery
// screens, dragging down at the top (mouse, touchpad or wheel) drives the
// pull-to-refresh header, and the refresh the header posts runs on the next
// turn of the event loop.

#include <QPoint>
#include <QScrollArea>
#include <QTimer>
#include <QVBoxLayout>
#include <optional>
#include <vector>

#include "app/screens/TableViewController.h"

namespace corvane::app {

class BatteryDetailViewController;
class RefreshHeaderWidget;
class TableRowWidget;

class TableScreenWidget : public QScrollArea {
    Q_OBJECT

public:
    explicit TableScreenWidget(TableViewController& screen, QWidget* parent = nullptr);
    ~TableScreenWidget() override;

    // Stops listening to the screen, which may go away before this widget.
    void detach();
    // Redraws every row; rebuilds them when the table's rows changed.
    void refresh();

    const std::vector<TableRowWidget*>& rows() const { return rows_; }
    // The section headings shown, in order.
    QStringList headings() const;
    // The first row whose text or cell identifier contains `name` (case
    // ignored), an exact identifier first; none when no row matches.
    TableRowWidget* findRow(const QString& name) const;
    void focusFirstRow();
    // Whether the table has no row at all (a placeholder says so).
    bool isEmpty() const { return rows_.empty(); }

    // Pulling by hand: the content is dragged `distance` pixels below its top.
    void pullTo(double distance);
    void releasePull();

signals:
    // The user acted on the screen; the window redraws what depends on it.
    void userActed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void rebuild();
    bool rowsMatchTable() const;
    void tap(IndexPath indexPath);
    void moveFocus(TableRowWidget* from, int step);
    void showHeader();
    bool handleWheel(QWheelEvent* event);
    void watch(QWidget* widget);

    TableViewController* screen_;
    BatteryDetailViewController* battery_ = nullptr;
    QWidget* content_ = nullptr;
    QVBoxLayout* layout_ = nullptr;
    RefreshHeaderWidget* header_ = nullptr;
    std::vector<TableRowWidget*> rows_;
    QWidget* sections_ = nullptr;
    QStringList headings_;
    bool rebuilding_ = false;
    // Mouse drag in progress: where it started, and whether it pulls.
    std::optional<QPoint> pressAt_;
    bool pulling_ = false;
    double wheelPull_ = 0.0;
    QTimer wheelEnd_;
};

}  // namespace corvane::app
