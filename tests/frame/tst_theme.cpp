#include "Files.h"

#include "Error.h"
#include "Skin.h"
#include "Theme.h"

#include <QtTest>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

using namespace quill;

class ThemeTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_window = std::make_unique<QWidget>();
        m_frame = new QGroupBox(QStringLiteral("Your Data"), m_window.get());
        m_label = new QLabel(QStringLiteral("Your Name:"), m_frame);
        m_field = new QLineEdit(m_frame);
    }

    void withoutSkinFileNothingChanges()
    {
        QTemporaryDir program;
        Skin skin;
        applyThemeToMainWindow(m_window.get(), skin, program.path());
        QVERIFY(!m_frame->autoFillBackground());
        QVERIFY(m_window->styleSheet().isEmpty());
    }

    void skinFileRecoloursAndApplies()
    {
        QTemporaryDir program;
        QDir(program.path()).mkdir(QStringLiteral("x"));
        QVERIFY(test::writeFile(program.filePath(kSkinFile), "QLineEdit { background: yellow; }"));
        Skin skin;
        applyThemeToMainWindow(m_window.get(), skin, program.path());

        const QColor buttonFace = m_window->palette().color(QPalette::Button);
        QCOMPARE(m_frame->palette().color(QPalette::Window), buttonFace);
        QCOMPARE(m_label->palette().color(QPalette::Window), buttonFace);
        QVERIFY(!m_field->autoFillBackground());
        QVERIFY(m_window->styleSheet().contains(QStringLiteral("yellow")));
        QVERIFY(skin.options() & 1u);
        QVERIFY(skin.option(Skin::SkinMessageBoxes) && skin.option(Skin::SkinChildWindows));
    }

    void unreadableSkinFailsAfterRecolouring()
    {
        QTemporaryDir program;
        QDir(program.path()).mkdir(QStringLiteral("x"));
        const QString path = program.filePath(kSkinFile);
        QVERIFY(test::writeFile(path, "QWidget {}"));
        QFile::setPermissions(path, QFileDevice::Permissions());
        if (QFileInfo(path).isReadable())
            QSKIP("running with rights that ignore file permissions");
        Skin skin;
        QVERIFY_THROWS_EXCEPTION(Error, applyThemeToMainWindow(m_window.get(), skin, program.path()));
        QVERIFY(m_frame->autoFillBackground());
        QVERIFY(m_window->styleSheet().isEmpty());
    }

    void colouringReachesFramesAndLabelsOnly()
    {
        applyColouring(m_window.get());
        const QColor buttonFace = m_window->palette().color(QPalette::Button);
        QCOMPARE(m_window->palette().color(QPalette::Window), buttonFace);
        QVERIFY(m_frame->autoFillBackground());
        QVERIFY(m_label->autoFillBackground());
        QVERIFY(!m_field->autoFillBackground());
    }

private:
    std::unique_ptr<QWidget> m_window;
    QGroupBox *m_frame = nullptr;
    QLabel *m_label = nullptr;
    QLineEdit *m_field = nullptr;
};

QTEST_MAIN(ThemeTest)
#include "tst_theme.moc"
