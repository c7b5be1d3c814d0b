#pragma once
// The pull-to-refresh header above a battery table, drawn from the header's
// state: the arrow (turned up while armed), the spinner while loading, the
// status text and the last-update line. Only its lowest part shows, as far
// as the table is pulled down or inset.

#include <QWidget>

#include "app/screens/EGORefreshTableHeaderView.h"

namespace corvane::app {

class RefreshHeaderWidget : public QWidget {
    Q_OBJECT

public:
    explicit RefreshHeaderWidget(EGORefreshTableHeaderView& header, QWidget* parent = nullptr);
    // Shows the header's current state, `visibleHeight` pixels of it.
    void showState(int visibleHeight);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void drawLabel(QPainter& painter, const LabelView& label, double top);

    EGORefreshTableHeaderView& header_;
};

}  // namespace corvane::app
