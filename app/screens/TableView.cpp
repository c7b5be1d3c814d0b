#include "app/screens/TableView.h"

#include <algorithm>

namespace corvane::app {

void TableView::registerPrototype(std::string identifier, std::function<std::shared_ptr<TableCell>()> make) {
    prototypes_[std::move(identifier)] = std::move(make);
}

std::shared_ptr<TableCell> TableView::dequeueReusableCellWithIdentifier(std::string_view identifier) const {
    auto found = prototypes_.find(identifier);
    if (found == prototypes_.end() || !found->second) return nullptr;
    return found->second();
}

std::shared_ptr<TableCell> TableView::makeCell(IndexPath indexPath) {
    std::shared_ptr<TableCell> cell = dataSource->cellForRowAtIndexPath(*this, indexPath);
    if (cell && selected_ == indexPath) cell->setSelected(true, false);
    return cell;
}

void TableView::reloadData() {
    // Cells made below may select rows or reload others: the change is
    // reported once, when the whole table is new.
    ++updateDepth_;
    fillFromDataSource();
    --updateDepth_;
    changed();
}

void TableView::fillFromDataSource() {
    cells_.clear();
    rowCounts_.clear();
    if (dataSource == nullptr) return;
    const int sections = std::max(0, dataSource->numberOfSectionsInTableView(*this));
    for (int section = 0; section < sections; ++section) {
        rowCounts_.push_back(std::max(0, dataSource->numberOfRowsInSection(*this, section)));
    }
    if (selected_ && (selected_->section >= numberOfSections() || selected_->row >= rowCounts_[selected_->section])) {
        selected_.reset();
    }
    for (int section = 0; section < sections; ++section) {
        for (int row = 0; row < rowCounts_[section]; ++row) {
            const IndexPath indexPath{section, row};
            cells_[indexPath] = makeCell(indexPath);
        }
    }
}

void TableView::reloadRowsAtIndexPaths(const std::vector<IndexPath>& indexPaths) {
    if (dataSource == nullptr) return;
    for (const IndexPath& indexPath : indexPaths) {
        if (indexPath.section < 0 || indexPath.section >= numberOfSections()) continue;
        if (indexPath.row < 0 || indexPath.row >= rowCounts_[indexPath.section]) continue;
        cells_[indexPath] = makeCell(indexPath);
    }
    changed();
}

void TableView::endUpdates() {
    if (updateDepth_ > 0) --updateDepth_;
    changed();
}

int TableView::numberOfRowsInSection(int section) const {
    if (section < 0 || section >= numberOfSections()) return 0;
    return rowCounts_[section];
}

std::shared_ptr<TableCell> TableView::cellForRowAtIndexPath(IndexPath indexPath) const {
    auto found = cells_.find(indexPath);
    return found == cells_.end() ? nullptr : found->second;
}

void TableView::selectRowAtIndexPath(IndexPath indexPath, bool animated, TableScrollPosition /*scrollPosition*/) {
    if (selected_ && *selected_ != indexPath) deselectRowAtIndexPath(*selected_, animated);
    selected_ = indexPath;
    if (auto cell = cellForRowAtIndexPath(indexPath)) cell->setSelected(true, animated);
    changed();
}

void TableView::deselectRowAtIndexPath(IndexPath indexPath, bool animated) {
    if (selected_ == indexPath) selected_.reset();
    if (auto cell = cellForRowAtIndexPath(indexPath)) cell->setSelected(false, animated);
    changed();
}

void TableView::tapRowAtIndexPath(IndexPath indexPath) {
    if (indexPath.section < 0 || indexPath.row < 0 || indexPath.row >= numberOfRowsInSection(indexPath.section)) {
        return;
    }
    auto cell = cellForRowAtIndexPath(indexPath);
    if (cell && !cell->userInteractionEnabled) return;
    if (selected_ && *selected_ != indexPath) {
        const IndexPath previous = *selected_;
        deselectRowAtIndexPath(previous, false);
        if (delegate != nullptr) delegate->didDeselectRowAtIndexPath(*this, previous);
    }
    selected_ = indexPath;
    if (cell) cell->setSelected(true, false);
    if (delegate != nullptr) delegate->didSelectRowAtIndexPath(*this, indexPath);
    changed();
}

void TableView::dragTo(double offsetY) {
    dragging_ = true;
    contentOffsetY = offsetY;
    if (delegate != nullptr) delegate->scrollViewDidScroll(*this);
}

void TableView::endDragging() {
    if (delegate != nullptr) delegate->scrollViewDidEndDragging(*this, false);
    dragging_ = false;
}

void TableView::changed() {
    if (updateDepth_ == 0 && onChange) onChange();
}

}  // namespace corvane::app
