// The device information screen saving a crash-report mail, and the
// application lists of a prepared phone, in the window.

#include <fstream>

#include "shared/Names.h"
#include "tests/qt/WindowFixture.h"

namespace corvane::testing {

class InfoAndListsWindowTest : public QObject {
    Q_OBJECT

private slots:
    void init() { f = std::make_unique<WindowFixture>(); }
    void cleanup() { f.reset(); }

    void theInformationScreenSavesACrashMailAndSaysWhere() {
        const auto crashes = paths::resolve(paths::kCrashReporterFolder);
        std::filesystem::create_directories(crashes);
        std::ofstream(crashes / "Ampwise-2026-12-01.ips") << "crash";
        f->open();
        f->click("Infos");
        QCOMPARE(f->title(), QString("Infos"));
        f->click("Send crash logs");
        QCOMPARE(f->window->alertOverlay().title(), QString("Mail saved"));
        const auto outbox = paths::resolve(paths::kMailOutbox);
        std::vector<std::filesystem::path> mails;
        for (const auto& entry : std::filesystem::directory_iterator(outbox)) mails.push_back(entry.path());
        QCOMPARE(mails.size(), std::size_t{1});
        QString message = f->window->alertOverlay().message();
        message.remove(QChar(0x200B));
        QVERIFY2(message.contains(QString::fromStdString(mails[0].string())), qPrintable(message));
        f->answer("Open in mail program");
        QCOMPARE(f->opened, std::vector<std::string>{"file://" + mails[0].string()});
        QCOMPARE(f->title(), QString("Ampwise"));
    }

    void eachApplicationListShowsThePreparedApplications() {
        f->writeFile(paths::kApplicationNames,
                     plist::Dictionary{{"com.b.mail", "Mail"}, {"com.a.radio", "Radio"}, {"com.c.books", "Books"}});
        f->writeFile(paths::kShutdownList, plist::Dictionary{{"com.c.books", true}});
        f->writeFile(paths::kKeepList, plist::Dictionary{{"com.a.radio", true}});
        struct Expected {
            QString row, title;
            QStringList labels;
            QString on;
        };
        const std::vector<Expected> lists{
            {"App that shutdown radios", "Turn off radios apps", {"Books", "Mail", "Radio"}, "Books"},
            {"No radio turn off apps", "Turn on radios apps", {"Books", "Mail", "Radio"}, "Radio"},
        };
        f->open();
        f->click("Settings");
        for (const Expected& list : lists) {
            f->click(list.row);
            QCOMPARE(f->title(), list.title);
            QCOMPARE(f->labels(), list.labels);
            for (app::TableRowWidget* row : f->table().rows()) {
                QCOMPARE(row->toggle()->isChecked(), row->labelText() == list.on);
            }
            f->back();
        }
        // A flip is written into its list at once.
        f->click("App that shutdown radios");
        QTest::mouseClick(f->row("Mail")->toggle(), Qt::LeftButton);
        QCOMPARE(f->readFile(paths::kShutdownList)->find("com.b.mail")->boolValue(), true);
    }

private:
    std::unique_ptr<WindowFixture> f;
};

}  // namespace corvane::testing

QTEST_MAIN(corvane::testing::InfoAndListsWindowTest)
#include "InfoAndListsWindowTest.moc"
