// The home list and the settings screens in the window: choices reach the
// settings file and show on the way back, alerts take their answer, the
// keyboard walks the rows.

#include "app/qt/ProgramOptions.h"
#include "app/qt/QtColor.h"
#include "shared/MobileDataInfo.h"
#include "shared/Names.h"
#include "tests/qt/WindowFixture.h"

namespace corvane::testing {

class SettingsWindowTest : public QObject {
    Q_OBJECT

private slots:
    void init() { f = std::make_unique<WindowFixture>(); }
    void cleanup() { f.reset(); }

    void aChosenStrategyIsSavedAndShownHomeInItsColour() {
        f->open();
        QCOMPARE(f->title(), QString("Ampwise"));
        f->click("Settings");
        QCOMPARE(f->title(), QString("Settings"));
        QCOMPARE(f->table().headings(), (QStringList{"Applications", "Saving strategy", "Options", "Statistics"}));
        f->click("Strategy");
        QCOMPARE(f->title(), QString("Saving strategies"));
        f->click("Aggressive");
        QCOMPARE(f->row("Aggressive")->cell()->accessoryType, app::CellAccessory::Checkmark);
        f->back();
        f->back();
        QCOMPARE(f->title(), QString("Ampwise"));
        QCOMPARE(f->readFile(paths::kSettings)->find(settings::kStrategy)->integerValue(), 3);
        app::TableRowWidget* strategy = f->row("Using : aggressive mode");
        QVERIFY2(strategy != nullptr, qPrintable(f->labels().join(", ")));
        QCOMPARE(strategy->labelColor(), app::toQColor({0.3f, 0.8f, 0.35f, 0.75f}));
    }

    void theRatesAlertIsAnsweredAndTheChoiceApplied() {
        MobileDataInfo device;
        device.setSupport2G(true);
        device.setSupport3G(true);
        device.setSupport4G(true);
        QVERIFY(device.saveToFile());
        f->writeFile(paths::kSettings, plist::Dictionary{{std::string(settings::kMaxRate), plist::Value(3)}});
        f->open();
        f->click("Settings");
        f->click("Restrict Min Data Rate");
        QCOMPARE(f->title(), QString("Restrict Min Rate"));
        QVERIFY(!f->row("4G")->isInteractive() || !f->row("4G")->cell()->textEnabled);
        f->click("3G");
        QVERIFY(f->window->isAlertShown());
        QCOMPARE(f->window->alertOverlay().title(), QString("Caution"));
        // The screen underneath cannot be reached while the alert shows.
        QVERIFY(!f->table().isEnabledTo(f->window.get()) && !f->window->navigationBar().isEnabled());
        f->answer("OK");
        QVERIFY(!f->window->isAlertShown());
        const plist::Dictionary saved = *f->readFile(paths::kSettings);
        QCOMPARE(saved.find(settings::kMinRate)->integerValue(), 2);
        QCOMPARE(saved.find(settings::kMaxRate)->integerValue(), 0);
        QCOMPARE(f->row("3G")->cell()->accessoryType, app::CellAccessory::Checkmark);
    }

    void theKeyboardMovesFlipsAndGoesBack() {
        f->open();
        f->click("Settings");
        app::TableRowWidget* debug = f->row("Debug");
        debug->setFocus();
        QTest::keyClick(debug, Qt::Key_Space);
        QCOMPARE(f->readFile(paths::kSettings)->find(settings::kDebug)->boolValue(), true);
        QVERIFY(f->row("Debug")->toggle()->isChecked());
        QCOMPARE(f->row("Debug")->accessibleDescription(), QString("on"));
        QTest::keyClick(f->row("Debug"), Qt::Key_Down);
        QVERIFY(f->row("Car mode")->hasFocus());
        QTest::keyClick(f->row("Car mode"), Qt::Key_Escape);
        WindowFixture::settle();
        QCOMPARE(f->title(), QString("Ampwise"));
        // Enter opens the focused row.
        app::TableRowWidget* credits = f->row("Greetings");
        credits->setFocus();
        QTest::keyClick(credits, Qt::Key_Return);
        WindowFixture::settle();
        QCOMPARE(f->title(), QString("Greetings"));
        QCOMPARE(f->table().headings(), (QStringList{"Made by", "Thanks to"}));
    }

    void theHelpAlertOpensThePage() {
        f->open();
        f->click("FAQ Ampwise 2.1.1");
        QCOMPARE(f->window->alertOverlay().title(), QString("Info"));
        f->answer("No, thanks");
        QVERIFY(f->opened.empty());
        f->click("FAQ Ampwise 2.1.1");
        f->answer("Yes, go");
        QCOMPARE(f->opened, std::vector<std::string>{"https://ampwise.example.org/help"});
    }

    void theCommandLineIsCheckedBeforeAnythingOpens() {
        using app::ProgramOptions;
        const ProgramOptions full =
            ProgramOptions::parse({"--root", "/r", "--size", "1024x768", "--screenshot", "a.png", "--show", "x/y"});
        QVERIFY(full.error.empty());
        QVERIFY(full.size == std::pair(1024, 768));
        QCOMPARE(full.root.value_or(""), std::string("/r"));
        QCOMPARE(full.show, std::string("x/y"));
        for (const std::vector<std::string>& wrong : std::vector<std::vector<std::string>>{{"--root"},
                                                                                           {"--screenshot", ""},
                                                                                           {"--show", "x"},
                                                                                           {"--colour", "red"},
                                                                                           {"--size", "1024"},
                                                                                           {"--size", "0x768"},
                                                                                           {"--size", "1024x768px"}}) {
            QVERIFY(!ProgramOptions::parse(wrong).error.empty());
        }
    }

private:
    std::unique_ptr<WindowFixture> f;
};

}  // namespace corvane::testing

QTEST_MAIN(corvane::testing::SettingsWindowTest)
#include "SettingsWindowTest.moc"
