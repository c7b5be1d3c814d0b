#pragma once
// A table of rows grouped in sections, without a window system: it asks its
// data source for the cells, keeps the cells it shows, keeps the selection,
// and turns what the user does (tap a row, drag the content) into calls of
// its delegate. A front end draws the visible cells and forwards the
// user's gestures here; tests do the same by hand.

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/screens/IndexPath.h"
#include "app/screens/TableCell.h"

namespace corvane::app {

class TableView;

class TableViewDataSource {
public:
    virtual ~TableViewDataSource() = default;
    virtual int numberOfSectionsInTableView(TableView& tableView) = 0;
    virtual int numberOfRowsInSection(TableView& tableView, int section) = 0;
    // The cell of a row; none when the screen could not make one.
    virtual std::shared_ptr<TableCell> cellForRowAtIndexPath(TableView& tableView, IndexPath indexPath) = 0;
    // The heading shown above a section; empty for none.
    virtual std::string titleForHeaderInSection(TableView& /*tableView*/, int /*section*/) { return {}; }
};

class TableViewDelegate {
public:
    virtual ~TableViewDelegate() = default;
    virtual void didSelectRowAtIndexPath(TableView& /*tableView*/, IndexPath /*indexPath*/) {}
    virtual void didDeselectRowAtIndexPath(TableView& /*tableView*/, IndexPath /*indexPath*/) {}
    virtual void scrollViewDidScroll(TableView& /*tableView*/) {}
    virtual void scrollViewDidEndDragging(TableView& /*tableView*/, bool /*willDecelerate*/) {}
};

struct EdgeInsets {
    double top = 0.0;
    double left = 0.0;
    double bottom = 0.0;
    double right = 0.0;
    bool operator==(const EdgeInsets&) const = default;
};

enum class TableScrollPosition { None, Top, Middle, Bottom };

class TableView {
public:
    TableViewDataSource* dataSource = nullptr;
    TableViewDelegate* delegate = nullptr;

    // The prototypes of the screen's layout: identifier to a maker of a new
    // cell of that kind.
    void registerPrototype(std::string identifier, std::function<std::shared_ptr<TableCell>()> make);
    // A cell of the prototype; none for an identifier without prototype.
    std::shared_ptr<TableCell> dequeueReusableCellWithIdentifier(std::string_view identifier) const;

    // Asks the data source again for every section, row and cell.
    void reloadData();
    void reloadRowsAtIndexPaths(const std::vector<IndexPath>& indexPaths);
    void beginUpdates() { ++updateDepth_; }
    void endUpdates();

    // As of the last reload.
    int numberOfSections() const { return static_cast<int>(rowCounts_.size()); }
    int numberOfRowsInSection(int section) const;
    // The shown cell of a row, none when the row is not shown.
    std::shared_ptr<TableCell> cellForRowAtIndexPath(IndexPath indexPath) const;

    // Selection made by the program: the cells hear it, the delegate does not.
    void selectRowAtIndexPath(IndexPath indexPath, bool animated, TableScrollPosition scrollPosition);
    void deselectRowAtIndexPath(IndexPath indexPath, bool animated);
    std::optional<IndexPath> indexPathForSelectedRow() const { return selected_; }

    // The user taps a row: the previously selected row is unselected (its
    // cell and the delegate hear it), then the tapped row is selected and the
    // delegate hears it. A row whose cell refuses interaction ignores taps.
    void tapRowAtIndexPath(IndexPath indexPath);

    // Scrolling, as the user drags the content (offset y < 0 pulls it down).
    double contentOffsetY = 0.0;
    EdgeInsets contentInset;
    bool isDragging() const { return dragging_; }
    void dragTo(double offsetY);
    void endDragging();

    // Told after each reload or update, so that a front end can redraw.
    std::function<void()> onChange;

    // Width and height of the table's bounds, for screens that lay out views
    // relative to it.
    double width = 320.0;
    double height = 416.0;

private:
    std::shared_ptr<TableCell> makeCell(IndexPath indexPath);
    void fillFromDataSource();
    void changed();

    std::map<std::string, std::function<std::shared_ptr<TableCell>()>, std::less<>> prototypes_;
    std::vector<int> rowCounts_;
    std::map<IndexPath, std::shared_ptr<TableCell>> cells_;
    std::optional<IndexPath> selected_;
    bool dragging_ = false;
    int updateDepth_ = 0;
};

}  // namespace corvane::app
