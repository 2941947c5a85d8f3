#include "ProgramFixture.h"

#include "Automation.h"
#include "Form1.h"
#include "IsInstalled.h"
#include "LetterFields.h"
#include "MessageBoxes.h"
#include "Product.h"
#include "SettingsStore.h"

#include <QtTest>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace quill;

class Form1Test : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_fixture = std::make_unique<test::ProgramFixture>();
        QVERIFY(m_fixture->isValid());
    }
    void cleanup() { m_fixture.reset(); }

    void firstStartShowsEmptyFieldsAndNoReport()
    {
        auto form = loadedForm();
        for (int n = 0; n < kFieldCount; ++n)
            QCOMPARE(form->field(n)->text(), QString());
        QVERIFY(m_fixture->boxes().isEmpty());
        QCOMPARE(m_fixture->programEnds(), 0);
        QCOMPARE(form->windowTitle(), kProductName);
        QCOMPARE(applicationTitle(), QStringLiteral("Quillfern Pitchcraft Epistle Maker"));
        QVERIFY(!form->windowIcon().isNull());
    }

    void typedValuesSurviveARestart()
    {
        const QString typedAscii = QStringLiteral("  Orla, \"P\" = \\x ");
        const QString typedOther = QStringLiteral("Zoë Łódź  ");
        const QString typed = typedAscii + typedOther;
        const QString pasted = QString(10000, QLatin1Char('w'));
        {
            auto form = loadedForm();
            form->field(0)->setFocus();
            QTest::keyClicks(form->field(0), typedAscii);
            for (const QChar c : typedOther)
                QTest::sendKeyEvent(QTest::Click, form->field(0), Qt::Key_unknown, QString(c), Qt::NoModifier);
            form->field(6)->setText(pasted);
            form->field(kDateField)->setText(QStringLiteral("12/7/2026"));
        }
        QCOMPARE(SettingsStore::read(kSettingsApplication, kProductName, QStringLiteral("Text1_0")), typed);
        QCOMPARE(SettingsStore::read(kSettingsApplication, kProductName, QStringLiteral("Text1_13")),
                 QStringLiteral("12/7/2026"));

        auto restarted = loadedForm();
        QCOMPARE(restarted->field(0)->text(), typed);
        QCOMPARE(restarted->field(6)->text(), pasted);
        // The date field is written at every change but never restored.
        QCOMPARE(restarted->field(kDateField)->text(), QString());
    }

    void sampleAndResetThroughTheButtons()
    {
        auto form = loadedForm();
        form->field(kDateField)->setText(QStringLiteral("a date"));
        form->field(0)->setText(QStringLiteral("typed before"));

        for (int press = 0; press < 2; ++press)
            QTest::mouseClick(form->PushButton4, Qt::LeftButton);
        for (const SampleValue &sample : kSampleValues) {
            QCOMPARE(form->field(sample.index)->text(), QString::fromUtf8(sample.value));
            QCOMPARE(stored(sample.index), QString::fromUtf8(sample.value));
        }
        QCOMPARE(form->field(12)->text(), QStringLiteral("Kestrelon"));

        QTest::mouseClick(form->PushButton3, Qt::LeftButton);
        for (int n = 0; n < kTypedFieldCount; ++n) {
            QCOMPARE(form->field(n)->text(), QString());
            QCOMPARE(stored(n), QString());
        }
        QCOMPARE(form->field(kDateField)->text(), QStringLiteral("a date"));
        QCOMPARE(stored(kDateField), QStringLiteral("a date"));
        QVERIFY(m_fixture->boxes().isEmpty());
    }

    void tabWalksTheFormInDesignedOrder()
    {
        auto form = loadedForm();
        form->show();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        form->field(12)->setText(QStringLiteral("select me"));
        form->field(0)->setFocus();

        const QList<int> fieldOrder = {12, 6, 1, 8, 9, 7, 10, 11, 4, 5, 3, 2};
        QList<QWidget *> expected;
        for (int index : fieldOrder)
            expected << form->field(index);
        expected << form->PushButton6 << form->PushButton3 << form->PushButton4 << form->field(kDateField)
                 << form->field(0);
        for (QWidget *next : expected) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), next);
            if (next == form->field(12))
                QCOMPARE(form->field(12)->selectedText(), QStringLiteral("select me"));
        }
        // The date field is an ordinary field but lies below the client area.
        QVERIFY(form->field(kDateField)->geometry().top() >= form->height());
    }

    void pointerFollowsTheMouseUnlessBusy()
    {
        auto form = loadedForm();
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        QVERIFY(form->pointer().hasCustomImage());

        moveOver(form->PushButton6);
        QCOMPARE(form->pointer().value(), int(WindowPointer::Custom));
        QCOMPARE(form->cursor().shape(), Qt::BitmapCursor);
        moveOver(form->Frame1->findChild<QLabel *>());
        QCOMPARE(form->pointer().value(), int(WindowPointer::Custom));
        moveOver(form->field(0));
        QCOMPARE(form->pointer().value(), int(WindowPointer::Custom));
        moveOver(form->Frame2);
        QCOMPARE(form->pointer().value(), int(WindowPointer::Default));

        form->pointer().setValue(WindowPointer::Hourglass);
        moveOver(form->PushButton4);
        moveOver(form->Frame1);
        moveOver(form.get());
        QCOMPARE(form->pointer().value(), int(WindowPointer::Hourglass));
        QCOMPARE(form->cursor().shape(), Qt::WaitCursor);
    }

    void missingWordProcessorShowsAdviceAndEnds()
    {
        ServerRegistry::registerServer(QStringLiteral("Word.Application"), []() -> AutomationObjectPtr {
            throw Error(Status::ServerUnavailable, QStringLiteral("cannot start"));
        });
        auto form = loadedForm();
        QCOMPARE(m_fixture->boxes().size(), 1);
        QCOMPARE(m_fixture->boxes()[0].text, IsInstalled::kAdvice);
        QCOMPARE(m_fixture->boxes()[0].style, int(MessageBoxes::OkOnly));
        QCOMPARE(m_fixture->boxes()[0].title, applicationTitle());
        QVERIFY(m_fixture->boxes()[0].text.startsWith(QStringLiteral("Error 842001. A normal")));
        QCOMPARE(m_fixture->boxes()[0].text.count(QStringLiteral("\r\n\r\n")), 4);
        QCOMPARE(m_fixture->programEnds(), 1);
    }

    void closingTheWindowEndsTheProgram()
    {
        auto form = loadedForm();
        form->show();
        form->close();
        QCOMPARE(m_fixture->programEnds(), 1);
    }

private:
    std::unique_ptr<Form1> loadedForm()
    {
        auto form = std::make_unique<Form1>();
        form->Form_Load();
        return form;
    }
    static QString stored(int index)
    {
        return SettingsStore::read(kSettingsApplication, kProductName, fieldSettingsKey(index), QStringLiteral("<absent>"));
    }
    static void moveOver(QWidget *widget)
    {
        QTest::mouseMove(widget, QPoint(2, 2));
        QTest::mouseMove(widget, QPoint(4, 3));
    }

    std::unique_ptr<test::ProgramFixture> m_fixture;
};

QTEST_MAIN(Form1Test)
#include "tst_form1.moc"
