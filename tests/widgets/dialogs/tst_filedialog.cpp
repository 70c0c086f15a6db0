// The framed file dialog (start folder, the four statics, filters, the overwrite question), the
// path box that opens it, and the snapshot viewer that uses the path box.
#include "widgets/CFileDialog.h"
#include "widgets/CPathComboBox.h"
#include "widgets/CPushButton.h"
#include "widgets/PromptHook.h"
#include "widgets/SnapShotDialog.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTest>

namespace {
// Chooses `path` in the file dialog of a CFileDialog prompt and answers OK.
std::function<int(const CPrompt&)> Choose(const QStringList& paths)
{
    return [paths](const CPrompt& prompt) {
        auto* frame = qobject_cast<CFileDialog*>(prompt.dialog.data());
        if (!frame)
            return 0;
        if (paths.size() == 1) {
            frame->FileDialog()->selectFile(paths.first());
        } else {
            QStringList quoted;
            for (const QString& p : paths)
                quoted << QLatin1Char('"') + QFileInfo(p).fileName() + QLatin1Char('"');
            frame->FileDialog()->selectFile(quoted.join(QLatin1Char(' ')));
        }
        return 1;
    };
}

struct Fixture {
    QTemporaryDir dir;
    QString Path(const QString& name) const { return dir.filePath(name); }
    QString Touch(const QString& name) const
    {
        QFile f(Path(name));
        QDir().mkpath(QFileInfo(f).path());
        f.open(QIODevice::WriteOnly);
        f.write("x");
        return QFileInfo(f).absoluteFilePath();
    }
};
}  // namespace

class TestFileDialog : public QObject {
    Q_OBJECT
private slots:
    void startFolder_data();
    void startFolder();
    void frameLooks();
    void openAndCancel();
    void saveAsksBeforeOverwriting();
    void directoryModes();
    void openSeveral();
    void suffixRule_data();
    void suffixRule();
    void pathBoxModes();
    void pathBoxAsksAboutTheSuffixedFile();
    void pathBoxCancelKeepsEntries();
    void pathBoxArrowOnly();
    void pathBoxWithoutMode();
    void viewerScales();
    void viewerUnreadableAndDrops();
};

void TestFileDialog::startFolder_data()
{
    QTest::addColumn<QString>("path");      // relative to the fixture; "" empty; "~cwd" none
    QTest::addColumn<QString>("expected");  // relative to the fixture; "~cwd" the current folder
    QTest::newRow("existing folder") << "rec/day"
                                     << "rec/day";
    QTest::newRow("existing folder, unclean") << "rec/./day/../day/"
                                              << "rec/day";
    QTest::newRow("existing file") << "rec/day/a.mp4"
                                   << "rec/day";
    QTest::newRow("missing, parent exists") << "rec/missing"
                                            << "rec";
    QTest::newRow("missing, parent missing") << "no/such/place"
                                             << "~cwd";
    QTest::newRow("empty") << ""
                           << "~cwd";
}

void TestFileDialog::startFolder()
{
    QFETCH(QString, path);
    QFETCH(QString, expected);
    Fixture fx;
    fx.Touch(QStringLiteral("rec/day/a.mp4"));
    const QString root = QFileInfo(fx.dir.path()).canonicalFilePath();
    const QString given = path.isEmpty() ? QString() : root + QLatin1Char('/') + path;
    const QString want = expected == QLatin1String("~cwd") ? QDir::currentPath() : root + QLatin1Char('/') + expected;
    QCOMPARE(CFileDialog::GetStartDirectory(given), want);
    // A relative path is taken from the current folder.
    const QString saved = QDir::currentPath();
    QDir::setCurrent(root);
    if (!path.isEmpty() && expected != QLatin1String("~cwd"))
        QCOMPARE(CFileDialog::GetStartDirectory(path), want);
    QDir::setCurrent(saved);
}

void TestFileDialog::frameLooks()
{
    Fixture fx;
    CPromptScript script(0);
    CFileDialog* seen = nullptr;
    QFileDialog::FileMode mode = QFileDialog::AnyFile;
    QFileDialog::Options options;
    QString directory;
    QString title;
    bool embedded = false;
    bool closeShown = false;
    bool barShown = true;
    QSize size;
    script.Then([&](const CPrompt& prompt) {
        seen = qobject_cast<CFileDialog*>(prompt.dialog.data());
        mode = seen->FileDialog()->fileMode();
        options = seen->FileDialog()->options();
        directory = seen->FileDialog()->directory().absolutePath();
        embedded = seen->FileDialog()->parentWidget() == seen->GetContentFrame() && !seen->FileDialog()->isWindow();
        closeShown = seen->CloseButton()->isVisibleTo(seen);
        barShown = seen->BottomFrame()->isVisibleTo(seen);
        size = seen->size();
        title = prompt.title;
        return 0;
    });
    CFileDialog::GetOpenFileName(nullptr, QStringLiteral("Select File"), fx.dir.path(), QStringLiteral("XML(*.xml)"));
    QVERIFY(seen);
    QVERIFY(embedded);
    QVERIFY(closeShown);
    QVERIFY(!barShown);
    QCOMPARE(size, QSize(600, 400));
    QCOMPARE(title, QStringLiteral("Select File"));
    QCOMPARE(mode, QFileDialog::ExistingFile);
    QVERIFY(options & QFileDialog::DontUseNativeDialog);
    QVERIFY(options & QFileDialog::ReadOnly);
    QCOMPARE(directory, QFileInfo(fx.dir.path()).absoluteFilePath());
}

void TestFileDialog::openAndCancel()
{
    Fixture fx;
    const QString file = fx.Touch(QStringLiteral("a.xml"));
    CPromptScript script(0);
    script.Then(Choose({file}));
    QString filter = QStringLiteral("XML(*.xml)");
    QCOMPARE(CFileDialog::GetOpenFileName(nullptr, QStringLiteral("Open"), fx.dir.path(),
                                          QStringLiteral("XML(*.xml);;All(*)"), &filter),
             file);
    QCOMPARE(filter, QStringLiteral("XML(*.xml)"));

    // Cancelled: a null string, and the caller's filter keeps its value.
    filter = QStringLiteral("All(*)");
    const QString none = CFileDialog::GetOpenFileName(nullptr, QStringLiteral("Open"), fx.dir.path(),
                                                      QStringLiteral("XML(*.xml);;All(*)"), &filter);
    QVERIFY(none.isNull());
    QCOMPARE(filter, QStringLiteral("All(*)"));
    QVERIFY(CFileDialog::GetOpenFileNames(nullptr, QString(), fx.dir.path(), QString()).isEmpty());
    QCOMPARE(script.Count(CPrompt::Exec), 3);
}

void TestFileDialog::saveAsksBeforeOverwriting()
{
    Fixture fx;
    const QString existing = fx.Touch(QStringLiteral("log.xml"));
    const QString fresh = fx.Path(QStringLiteral("new.xml"));
    {
        // A new name is not asked about.
        CPromptScript script(0);
        script.Then(Choose({fresh}));
        QCOMPARE(
            CFileDialog::GetSaveFileName(nullptr, QString(), fx.dir.path(), QStringLiteral("XML(*.xml)"), QString()),
            QFileInfo(fresh).absoluteFilePath());
        QCOMPARE(script.Count(CPrompt::Question), 0);
    }
    {
        // An existing one is: "no" goes back to the dialog, where the operator cancels.
        CPromptScript script(0);
        script.Then(Choose({existing})).Then(0).Then(0);
        QVERIFY(CFileDialog::GetSaveFileName(nullptr, QString(), fx.dir.path(), QStringLiteral("XML(*.xml)"), QString())
                    .isNull());
        QCOMPARE(script.Count(CPrompt::Question), 1);
        QCOMPARE(script.Count(CPrompt::Exec), 2);
        QVERIFY(script.Texts(CPrompt::Question).first().contains(QStringLiteral("log.xml")));
    }
    {
        // "yes" takes it.
        CPromptScript script(0);
        script.Then(Choose({existing})).Then(1);
        QCOMPARE(
            CFileDialog::GetSaveFileName(nullptr, QString(), fx.dir.path(), QStringLiteral("XML(*.xml)"), QString()),
            existing);
    }
    QFile check(existing);
    QVERIFY(check.open(QIODevice::ReadOnly));
    QCOMPARE(check.readAll(), QByteArray("x"));  // nothing wrote it
}

void TestFileDialog::directoryModes()
{
    Fixture fx;
    fx.Touch(QStringLiteral("clips/a.mp4"));
    const QString folder = QFileInfo(fx.Path(QStringLiteral("clips"))).absoluteFilePath();
    for (const bool dirsOnly : {true, false}) {
        CPromptScript script(0);
        QFileDialog::Options options;
        QFileDialog::FileMode mode = QFileDialog::AnyFile;
        script.Then([&](const CPrompt& prompt) {
            auto* frame = qobject_cast<CFileDialog*>(prompt.dialog.data());
            options = frame->FileDialog()->options();
            mode = frame->FileDialog()->fileMode();
            return Choose({folder})(prompt);
        });
        const QString chosen =
            CFileDialog::GetExistingDirectory(nullptr, QStringLiteral("Select Directory"), fx.dir.path(),
                                              dirsOnly ? QFileDialog::ShowDirsOnly : QFileDialog::Options());
        QCOMPARE(chosen, folder);
        QCOMPARE(mode, QFileDialog::Directory);
        QCOMPARE(bool(options & QFileDialog::ShowDirsOnly), dirsOnly);
        QVERIFY(options & QFileDialog::DontUseNativeDialog);
    }
}

void TestFileDialog::openSeveral()
{
    Fixture fx;
    const QString a = fx.Touch(QStringLiteral("a.jpg"));
    const QString b = fx.Touch(QStringLiteral("b.jpg"));
    CPromptScript script(0);
    script.Then(Choose({a, b}));
    QStringList files =
        CFileDialog::GetOpenFileNames(nullptr, QString(), fx.dir.path(), QStringLiteral("Images(*.jpg)"));
    files.sort();
    QCOMPARE(files, QStringList({a, b}));
}

void TestFileDialog::suffixRule_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("result");
    QTest::newRow("appended") << "XML(*.xml)"
                              << "/logs/export"
                              << "/logs/export.xml";
    QTest::newRow("already there") << "XML(*.xml)"
                                   << "/logs/log.xml"
                                   << "/logs/log.xml";
    QTest::newRow("other case") << "XML(*.xml)"
                                << "/logs/log.XML"
                                << "/logs/log.XML";
    QTest::newRow("empty filter") << ""
                                  << "/logs/export"
                                  << "/logs/export";
    QTest::newRow("blank before the star: first pattern") << "Image Files(*.png *.jpg *jpeg *.bmp)"
                                                          << "/x"
                                                          << "/x.png";
    QTest::newRow("no suffix pattern") << "All(*)"
                                       << "/x"
                                       << "/x";
}

void TestFileDialog::suffixRule()
{
    QFETCH(QString, filter);
    QFETCH(QString, name);
    QFETCH(QString, result);
    QCOMPARE(CPathComboBox::WithSuffix(name, filter), result);
}

void TestFileDialog::pathBoxModes()
{
    Fixture fx;
    const QString image = fx.Touch(QStringLiteral("a.png"));
    fx.Touch(QStringLiteral("data/x"));
    const QString folder = QFileInfo(fx.Path(QStringLiteral("data"))).absoluteFilePath();
    CPathComboBox box;
    box.addItem(fx.dir.path());

    // Save: the filter's suffix is added, the path becomes the tool tip.
    {
        CPromptScript script(0);
        script.Then(Choose({fx.Path(QStringLiteral("export"))}));
        box.SetPathMode(CPathComboBox::SaveFile);
        box.SetFileFilter(QStringLiteral("XML(*.xml)"));
        box.showPopup();
        const QString expected =
            QFileInfo(fx.Path(QStringLiteral("export"))).absoluteFilePath() + QStringLiteral(".xml");
        QCOMPARE(box.count(), 1);
        QCOMPARE(box.currentText(), expected);
        QCOMPARE(box.toolTip(), expected);
    }
    // Folder: the caption defaults to "Select Directory" and the path ends with "/".
    {
        CPromptScript script(0);
        script.Then(Choose({folder}));
        box.SetPathMode(CPathComboBox::Directory);
        box.SetCaption(QString());
        box.showPopup();
        QCOMPARE(script.Prompts().first().title, QStringLiteral("Select Directory"));
        QCOMPARE(box.currentText(), folder + QLatin1Char('/'));
        QCOMPARE(box.Caption(), QStringLiteral("Select Directory"));
    }
    // Open one, twice: only the last choice stays; it starts in the current entry's folder.
    {
        CPromptScript script(0);
        QString startDir;
        script.Then([&](const CPrompt& p) {
            startDir = qobject_cast<CFileDialog*>(p.dialog.data())->FileDialog()->directory().absolutePath();
            return Choose({image})(p);
        });
        script.Then(Choose({fx.Touch(QStringLiteral("b.png"))}));
        box.SetPathMode(CPathComboBox::OpenFile);
        box.SetFileFilter(QStringLiteral("Image Files(*.png *.jpg *.jpeg *.bmp)"));
        box.showPopup();
        QCOMPARE(startDir, folder);
        box.showPopup();
        QCOMPARE(box.count(), 1);
        QCOMPARE(box.currentText(), QFileInfo(fx.Path(QStringLiteral("b.png"))).absoluteFilePath());
    }
    // Several: every file an entry, the tool tip unchanged.
    {
        CPromptScript script(0);
        const QString tip = box.toolTip();
        script.Then(Choose({image, fx.Path(QStringLiteral("b.png"))}));
        box.SetPathMode(CPathComboBox::OpenFiles);
        box.showPopup();
        QCOMPARE(box.count(), 2);
        QCOMPARE(box.toolTip(), tip);
    }
    // An empty box starts in ".".
    {
        CPromptScript script(0);
        QString startDir;
        script.Then([&](const CPrompt& p) {
            startDir = qobject_cast<CFileDialog*>(p.dialog.data())->FileDialog()->directory().absolutePath();
            return 0;
        });
        CPathComboBox empty;
        empty.SetPathMode(CPathComboBox::OpenFile);
        empty.showPopup();
        QCOMPARE(startDir, QDir::currentPath());
    }
}

void TestFileDialog::pathBoxAsksAboutTheSuffixedFile()
{
    Fixture fx;
    const QString existing = fx.Touch(QStringLiteral("export.xml"));
    CPathComboBox box;
    box.addItem(QStringLiteral("/keep/this.xml"));
    box.SetPathMode(CPathComboBox::SaveFile);
    box.SetFileFilter(QStringLiteral("XML(*.xml)"));
    {
        // "export" becomes export.xml, which exists: asked; "no" goes back to the dialog.
        CPromptScript script(0);
        script.Then(Choose({fx.Path(QStringLiteral("export"))})).Then(0).Then(0);
        box.showPopup();
        QCOMPARE(script.Count(CPrompt::Question), 1);
        QVERIFY(script.Texts(CPrompt::Question).first().contains(QStringLiteral("export.xml")));
        QCOMPARE(script.Count(CPrompt::Exec), 2);
        QCOMPARE(box.currentText(), QStringLiteral("/keep/this.xml"));
    }
    {
        CPromptScript script(0);
        script.Then(Choose({fx.Path(QStringLiteral("export"))})).Then(1);
        box.showPopup();
        QCOMPARE(box.currentText(), existing);
    }
}

void TestFileDialog::pathBoxCancelKeepsEntries()
{
    CPathComboBox box;
    box.addItem(QStringLiteral("/keep/this.xml"));
    box.SetPathMode(CPathComboBox::SaveFile);
    box.setToolTip(QStringLiteral("tip"));
    for (int mode = 0; mode <= 3; ++mode) {
        CPromptScript script(0);
        box.SetPathMode(mode);
        box.setToolTip(QStringLiteral("tip"));
        box.showPopup();
        QCOMPARE(script.Count(CPrompt::Exec), 1);
        QCOMPARE(box.count(), 1);
        QCOMPARE(box.currentText(), QStringLiteral("/keep/this.xml"));
        QCOMPARE(box.toolTip(), QStringLiteral("tip"));
    }
}

void TestFileDialog::pathBoxArrowOnly()
{
    CPathComboBox box;
    box.resize(200, 24);
    box.SetPathMode(CPathComboBox::OpenFile);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    CPromptScript script(0);
    QTest::mouseClick(&box, Qt::LeftButton, {}, QPoint(200 - 24, 12));
    QCOMPARE(script.Count(CPrompt::Exec), 0);
    QTest::mouseClick(&box, Qt::LeftButton, {}, QPoint(200 - 23, 12));
    QCOMPARE(script.Count(CPrompt::Exec), 1);
    QTest::mouseClick(&box, Qt::LeftButton, {}, QPoint(199, 12));
    QCOMPARE(script.Count(CPrompt::Exec), 2);

    // Space opens it on a plain box, not on an editable one.
    QTest::keyClick(&box, Qt::Key_Space);
    QCOMPARE(script.Count(CPrompt::Exec), 3);
    box.setEditable(true);
    QTest::keyClick(&box, Qt::Key_Space);
    QCOMPARE(script.Count(CPrompt::Exec), 3);
}

void TestFileDialog::pathBoxWithoutMode()
{
    CPathComboBox box;
    CPromptScript script(1);
    QTest::ignoreMessage(QtWarningMsg, "CPathComboBox: no path mode set, nothing to open");
    box.showPopup();
    QCOMPARE(script.Count(CPrompt::Exec), 0);
}

void TestFileDialog::viewerScales()
{
    Fixture fx;
    QImage small(50, 40, QImage::Format_RGB32);
    small.fill(Qt::green);
    QVERIFY(small.save(fx.Path(QStringLiteral("small.png"))));
    QImage big(4000, 3000, QImage::Format_RGB32);
    big.fill(Qt::yellow);
    QVERIFY(big.save(fx.Path(QStringLiteral("big.png"))));

    auto* viewer = new SnapShotDialog;
    QPointer<SnapShotDialog> guard = viewer;
    viewer->show();
    QVERIFY(QTest::qWaitForWindowExposed(viewer));
    QCOMPARE(viewer->GetTitle(), QStringLiteral("Snapshot"));
    viewer->SetImagePath(fx.Path(QStringLiteral("small.png")));
    QCOMPARE(viewer->ImageLabel()->pixmap().size(), QSize(50, 40));
    viewer->SetImagePath(fx.Path(QStringLiteral("big.png")));
    const QSize shown = viewer->ImageLabel()->pixmap().size();
    const QSize label = viewer->ImageLabel()->size();
    QVERIFY(shown.width() <= label.width() && shown.height() <= label.height());
    QVERIFY(shown.width() == label.width() || shown.height() == label.height());
    QVERIFY(qAbs(shown.width() * 3 - shown.height() * 4) <= 4);
    QCOMPARE(viewer->PathBox()->currentText(), fx.Path(QStringLiteral("big.png")));
    viewer->close();
    QTRY_VERIFY(!guard);
}

void TestFileDialog::viewerUnreadableAndDrops()
{
    Fixture fx;
    QStringList files;
    for (const QColor& c : {QColor(Qt::red), QColor(Qt::green), QColor(Qt::blue)}) {
        QImage image(30, 20, QImage::Format_RGB32);
        image.fill(c);
        files << fx.Path(c.name().mid(1) + QStringLiteral(".png"));
        QVERIFY(image.save(files.last()));
    }
    SnapShotDialog viewer;
    viewer.setAttribute(Qt::WA_DeleteOnClose, false);
    viewer.show();
    viewer.SetImagePath(files.first());
    QVERIFY(!viewer.ImageLabel()->pixmap().isNull());
    // A path that names no picture: the path shows, and so does no stale picture.
    viewer.SetImagePath(fx.Touch(QStringLiteral("not-a-picture.png")));
    QCOMPARE(viewer.PathBox()->currentText(), fx.Path(QStringLiteral("not-a-picture.png")));
    QVERIFY(viewer.ImageLabel()->pixmap().isNull());

    QMimeData text;
    text.setText(QStringLiteral("hello"));
    QDragEnterEvent refused(QPoint(10, 10), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    refused.setAccepted(false);
    QApplication::sendEvent(&viewer, &refused);
    QVERIFY(!refused.isAccepted());

    QMimeData urls;
    QList<QUrl> list;
    for (const QString& f : files)
        list << QUrl::fromLocalFile(f);
    urls.setUrls(list);
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &urls, Qt::LeftButton, Qt::NoModifier);
    enter.setAccepted(false);
    QApplication::sendEvent(&viewer, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &urls, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&viewer, &drop);
    QCOMPARE(viewer.PathBox()->count(), 1);
    QCOMPARE(viewer.PathBox()->currentText(), files.last());
    QCOMPARE(viewer.ImageLabel()->pixmap().toImage().pixelColor(5, 5), QColor(Qt::blue));
}

QTEST_MAIN(TestFileDialog)
#include "tst_filedialog.moc"
