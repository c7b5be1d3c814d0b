#pragma once
// A row of exclusive segments ("AUTO", "ON", "OFF"); none may be selected.
// Left and right arrows move the choice.

#include <QButtonGroup>
#include <QString>
#include <QStringList>
#include <QWidget>

namespace corvane::app {

class SegmentedButtons : public QWidget {
    Q_OBJECT

public:
    SegmentedButtons(const QStringList& titles, const QString& accessibleLabel, QWidget* parent = nullptr);
    // -1 selects none.
    void setSelectedIndex(int index);
    int selectedIndex() const { return group_.checkedId(); }

signals:
    void segmentChosen(int index);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QButtonGroup group_;
};

}  // namespace corvane::app
