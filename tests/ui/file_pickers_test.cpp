#include "platform/core/message_box.h"
#include "platform/gui/cwinapp.h"
#include "platform/gui/qt_message_box.h"
#include "tests/support/file_dialog_driver.h"
#include "tests/support/modal_catcher.h"
#include "tests/support/test_files.h"
#include "ui/gribjoin_dlg.h"
#include "ui/res/main_dialog_template.h"

#include <filesystem>

#include <QComboBox>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

namespace {

namespace fs = std::filesystem;

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

// The main dialog, shown without a modal loop of its own, and the files of
// one test in a temporary folder.
class PickerFixture {
public:
    PickerFixture() : app("gribjoin") {
        app.m_pMainWnd = &dialog;
        dialog.Create();
        dialog.show();
        QApplication::setActiveWindow(&dialog);
        folder = Q(dir.path().string());
    }
    ~PickerFixture() { dialog.close(); }

    QLineEdit* edit(int id) { return qobject_cast<QLineEdit*>(dialog.GetDlgItem(id)); }
    QPushButton* button(int id) { return qobject_cast<QPushButton*>(dialog.GetDlgItem(id)); }
    // As a user would: focus the button (Tab or a mouse press does) and press it.
    void Click(int id) {
        button(id)->setFocus(Qt::TabFocusReason);
        QTest::keyClick(button(id), Qt::Key_Space);
    }
    QStringList SourceList() const {
        QStringList list;
        for (const CString& path : dialog.m_sourceList)
            list << Q(path.str());
        return list;
    }
    QString Path(const QString& name) const { return folder + "/" + name; }
    void Files(const QStringList& names) {
        for (const QString& name : names)
            WriteFile(dir / name.toStdString(), "GRIB" + name.toStdString() + "7777");
    }

    CWinApp app;
    CGribJoinDlg dialog;
    ScopedTempDir dir;
    QString folder;
};

} // namespace

class FilePickersTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { SetMessageBoxHandler(ShowQtMessageBox); }

    void sourcePickBuildsTheListAndTheText_data() {
        QTest::addColumn<QStringList>("names");
        QTest::newRow("one file") << QStringList{"a.grb"};
        QTest::newRow("three files, in the order chosen")
            << QStringList{"c.grb", "a.grb.bz2", "b.grb"};
    }

    void sourcePickBuildsTheListAndTheText() {
        QFETCH(QStringList, names);
        PickerFixture f;
        f.Files(names);
        FileDialogDriver driver;
        driver.Then(FileDialogDriver::Choose(f.folder, names));

        f.Click(IDC_PICK_SOURCES);

        QStringList paths;
        for (const QString& name : names)
            paths << f.Path(name);
        QCOMPARE(f.SourceList(), paths);
        const QString text = "\"" + paths.join("\"+\"") + "\"";
        QCOMPARE(Q(f.dialog.m_sourcesText.str()), text);
        QCOMPARE(f.edit(IDC_SOURCES)->text(), text);
        QCOMPARE(f.dialog.focusWidget(), f.button(IDC_PICK_SOURCES));
    }

    void secondSourcePickReplacesTheFirst() {
        PickerFixture f;
        f.Files({"a.grb", "b.grb", "c.grb"});
        FileDialogDriver driver;
        driver.Then(FileDialogDriver::Choose(f.folder, {"a.grb", "b.grb"}));
        driver.Then(FileDialogDriver::Choose(f.folder, {"c.grb"}));
        f.Click(IDC_PICK_SOURCES);
        f.Click(IDC_PICK_SOURCES);
        QCOMPARE(f.SourceList(), QStringList{f.Path("c.grb")});
        QCOMPARE(f.edit(IDC_SOURCES)->text(), "\"" + f.Path("c.grb") + "\"");
    }

    void sourcePickerOffersGribFilesFirst() {
        PickerFixture f;
        FileDialogDriver driver;
        QStringList shownFilters;
        QStringList matched;
        QString selectedFilter;
        QFileDialog::FileMode mode{};
        QWidget* owner = nullptr;
        QPoint offsetFromOwner;
        driver.Then([&](QFileDialog* dialog) {
            mode = dialog->fileMode();
            offsetFromOwner = dialog->geometry().center() - f.dialog.geometry().center();
            owner = dialog->parentWidget();
            selectedFilter = dialog->selectedNameFilter();
            auto* types = dialog->findChild<QComboBox*>("fileTypeCombo");
            for (int i = 0; i < types->count(); ++i)
                shownFilters << types->itemText(i);
            matched = dialog->findChild<QFileSystemModel*>()->nameFilters();
            dialog->reject();
        });
        f.Click(IDC_PICK_SOURCES);
        QCOMPARE(mode, QFileDialog::ExistingFiles);
        QCOMPARE(owner, &f.dialog);
        // Each description is shown as written; the patterns are Qt's own.
        QCOMPARE(shownFilters, (QStringList{"Grib Files (*.grb;*.grb.bz2)", "All Files (*.*)"}));
        QCOMPARE(selectedFilter, shownFilters.front());
        QCOMPARE(matched, (QStringList{"*.grb", "*.grb.bz2"}));
    }

    void cancelChangesNothingButKeepsTypedText_data() {
        QTest::addColumn<int>("button");
        QTest::newRow("source picker") << int(IDC_PICK_SOURCES);
        QTest::newRow("destination picker") << int(IDC_PICK_DESTINATION);
    }

    void cancelChangesNothingButKeepsTypedText() {
        QFETCH(int, button);
        PickerFixture f;
        f.dialog.m_sourceList.Add("/data/a.grb");
        f.dialog.m_sourcesText = "\"/data/a.grb\"";
        f.dialog.UpdateData(false);
        f.edit(IDC_DESTINATION)->setText("/data/typed.grb");
        FileDialogDriver driver;
        driver.Then(FileDialogDriver::Cancel());

        f.Click(button);

        QCOMPARE(driver.dialogsSeen(), 1);
        QCOMPARE(f.SourceList(), QStringList{"/data/a.grb"});
        QCOMPARE(f.edit(IDC_SOURCES)->text(), QString("\"/data/a.grb\""));
        // The click took the typed destination in, whatever became of the pick.
        QCOMPARE(Q(f.dialog.m_destinationPath.str()), QString("/data/typed.grb"));
        QCOMPARE(f.edit(IDC_DESTINATION)->text(), QString("/data/typed.grb"));
    }

    void selectionTooLargeIsReportedAndChangesNothing() {
        PickerFixture f;
        QStringList names;
        for (int i = 0; i < 30; ++i)
            names << QStringLiteral("forecast-%1.grb").arg(i, 3, 10, QChar('0'));
        f.Files(names);
        f.dialog.m_sourceList.Add("/data/a.grb");
        FileDialogDriver driver;
        driver.Then(FileDialogDriver::Choose(f.folder, names));
        ModalCatcher catcher;

        f.Click(IDC_PICK_SOURCES);

        QCOMPARE(
            catcher.texts(),
            QStringList{"The selected files do not fit in one selection. Select fewer files."});
        QCOMPARE(f.SourceList(), QStringList{"/data/a.grb"});
        QCOMPARE(f.edit(IDC_SOURCES)->text(), QString());
    }

    void destinationIsTheNameAsTyped_data() {
        QTest::addColumn<QString>("typed");
        QTest::newRow("no extension stays without one") << "out";
        QTest::newRow("a .grb name") << "out.grb";
        QTest::newRow("a compressed-looking name") << "run.grb.bz2";
        QTest::newRow("another extension") << "joined.dat";
    }

    void destinationIsTheNameAsTyped() {
        QFETCH(QString, typed);
        PickerFixture f;
        f.edit(IDC_SOURCES)->setText("kept"); // survives a destination pick
        FileDialogDriver driver;
        QString proposed;
        driver.Then([&](QFileDialog* dialog) {
            proposed = dialog->findChild<QLineEdit*>("fileNameEdit")->text();
            FileDialogDriver::Choose(f.folder, {typed})(dialog);
        });

        f.Click(IDC_PICK_DESTINATION);

        QCOMPARE(proposed, QString("grib"));
        QCOMPARE(Q(f.dialog.m_destinationPath.str()), f.Path(typed));
        QCOMPARE(f.edit(IDC_DESTINATION)->text(), f.Path(typed));
        QCOMPARE(f.edit(IDC_SOURCES)->text(), QString("kept"));
    }

    void destinationPickerProposesGribEveryTime() {
        PickerFixture f;
        FileDialogDriver driver;
        QStringList proposed;
        auto record = [&](QFileDialog* dialog) {
            proposed << dialog->findChild<QLineEdit*>("fileNameEdit")->text();
            FileDialogDriver::Choose(f.folder, {"first.grb"})(dialog);
        };
        driver.Then(record);
        driver.Then(record);
        f.Click(IDC_PICK_DESTINATION);
        f.Click(IDC_PICK_DESTINATION);
        QCOMPARE(proposed, (QStringList{"grib", "grib"}));
    }

    void destinationInAMissingFolderIsRefusedByTheDialog() {
        PickerFixture f;
        FileDialogDriver driver;
        ModalCatcher catcher;
        bool stayedOpen = false;
        driver.Then([&](QFileDialog* dialog) {
            FileDialogDriver::Choose(f.folder, {"missing/out.grb"})(dialog);
            stayedOpen = dialog->isVisible();
            dialog->reject();
        });
        f.Click(IDC_PICK_DESTINATION);
        QVERIFY(stayedOpen);
        QCOMPARE(catcher.boxes().size(), std::size_t{1});
        QVERIFY(catcher.texts().front().contains("does not exist"));
        QCOMPARE(Q(f.dialog.m_destinationPath.str()), QString());
    }

    void wholeProgramJoinsPickedSamples() {
        const fs::path samples = "/usr/share/eccodes/samples";
        const std::string grib1 = ReadFile(samples / "GRIB1.tmpl");
        const std::string grib2 = ReadFile(samples / "GRIB2.tmpl");
        const std::string gaussian = ReadFile(samples / "reduced_gg_pl_32_grib2.tmpl");
        PickerFixture f;
        WriteFile(f.dir / "a.grb", grib1);
        WriteFile(f.dir / "b.grb.bz2", Bz2Compress(grib2));
        WriteFile(f.dir / "c.grb.bz2", Bz2Compress(gaussian) + Bz2Compress(grib1));
        FileDialogDriver driver;
        driver.Then(FileDialogDriver::Choose(f.folder, {"c.grb.bz2", "a.grb", "b.grb.bz2"}));
        driver.Then(FileDialogDriver::Choose(f.folder, {"joined.grb"}));
        ModalCatcher catcher;

        f.Click(IDC_PICK_SOURCES);
        f.Click(IDC_PICK_DESTINATION);
        QTest::mouseClick(f.button(IDOK), Qt::LeftButton);

        QCOMPARE(catcher.texts(), QStringList());
        QVERIFY(!f.dialog.isVisible());
        QCOMPARE(f.dialog.result(), int(IDOK));
        QVERIFY(ReadFile(f.dir / "joined.grb") == gaussian + grib1 + grib1 + grib2);
        QVERIFY(ReadFile(f.dir / "b.grb") == grib2);
        QVERIFY(ReadFile(f.dir / "c.grb") == gaussian + grib1);
    }
};

QTEST_MAIN(FilePickersTest)
#include "file_pickers_test.moc"
