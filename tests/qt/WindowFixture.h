#pragma once
// The ampwise window on a fresh filesystem root with the program's own
// platform, driven with mouse clicks and keys as a user would. Addresses the
// screens open are recorded instead of reaching a browser.

#include <QtTest>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/model/PlistController.h"
#include "app/platform/SimulatedPhoneAppPlatform.h"
#include "app/qt/AlertOverlay.h"
#include "app/qt/AmpwiseWindow.h"
#include "app/qt/NavigationBarWidget.h"
#include "app/qt/TableRowWidget.h"
#include "app/qt/TableScreenWidget.h"
#include "app/qt/ToggleSwitch.h"
#include "app/screens/AmpwiseStoryboard.h"
#include "shared/Paths.h"
#include "shared/ProcessState.h"
#include "shared/PropertyListFile.h"
#include "tests/support/TemporaryRoot.h"

namespace corvane::testing {

class WindowFixture {
public:
    WindowFixture() {
        std::filesystem::create_directories(paths::resolve(paths::kPreferencesFolder));
        ProcessState::reset();
        app::AppPlatform::install(platform_.get());
    }
    ~WindowFixture() {
        window.reset();
        ProcessState::reset();
    }

    app::AmpwiseWindow& open(app::Storyboard storyboard = app::AmpwiseStoryboard::make()) {
        window = std::make_unique<app::AmpwiseWindow>(std::move(storyboard));
        window->navigationStack().urlOpener = [this](std::string_view url) {
            opened.emplace_back(url);
            return true;
        };
        window->show();
        return *window;
    }

    static void writeFile(std::string_view phonePath, const plist::Value& value) {
        const auto path = paths::resolve(phonePath);
        std::filesystem::create_directories(path.parent_path());
        QVERIFY(plist::writeFile(path, value));
    }
    static std::optional<plist::Dictionary> readFile(std::string_view phonePath) {
        return plist::readDictionary(paths::resolve(phonePath));
    }

    app::TableScreenWidget& table() const { return *window->tableScreen(); }
    QString title() const { return window->navigationBar().title(); }
    QStringList labels() const {
        QStringList shown;
        for (app::TableRowWidget* row : table().rows()) shown << row->labelText();
        return shown;
    }
    app::TableRowWidget* row(const QString& label) const {
        for (app::TableRowWidget* row : table().rows()) {
            if (row->labelText() == label) return row;
        }
        return nullptr;
    }
    // Clicks the row's text, away from its switch.
    void click(const QString& label) {
        app::TableRowWidget* target = row(label);
        QVERIFY2(target != nullptr, qPrintable("no row " + label + " in " + labels().join(", ")));
        QTest::mouseClick(target, Qt::LeftButton, {}, QPoint(20, target->height() / 2));
        settle();
    }
    void back() {
        QTest::mouseClick(window->navigationBar().backButton(), Qt::LeftButton);
        settle();
    }
    void answer(const QString& button) {
        QVERIFY(window->isAlertShown());
        for (QPushButton* shown : window->alertOverlay().buttons()) {
            if (shown->text() == button) {
                QTest::mouseClick(shown, Qt::LeftButton);
                settle();
                return;
            }
        }
        QFAIL(qPrintable("no alert button " + button));
    }
    // Lets queued work run (old screens go away, posted refreshes run).
    static void settle() {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    TemporaryRoot root;
    std::unique_ptr<app::AmpwiseWindow> window;
    std::vector<std::string> opened;

private:
    std::unique_ptr<app::AppPlatform> platform_ = std::make_unique<app::SimulatedPhoneAppPlatform>();
};

}  // namespace corvane::testing
