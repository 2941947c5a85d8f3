#include "ProgramFixture.h"

namespace quill::test {

ProgramFixture::~ProgramFixture()
{
    m_form.reset();
    ServerRegistry::restoreDefaults();
}

bool ProgramFixture::start()
{
    m_form = std::make_unique<Form1>();
    m_form->Form_Load();
    m_form->show();
    return QTest::qWaitForWindowExposed(m_form.get());
}

void ProgramFixture::clickGenerate()
{
    QTest::mouseClick(m_form->PushButton6, Qt::LeftButton);
}

void ProgramFixture::clickSave(const QString &path)
{
    setSavePath(path);
    QTest::mouseClick(m_form->preview().PushButton6, Qt::LeftButton);
}

bool ProgramFixture::previewShown() const
{
    const Form2 *preview = m_form->existingPreview();
    return preview && preview->isVisible() && !m_form->isVisible();
}

QString ProgramFixture::storedField(int index)
{
    return SettingsStore::read(kSettingsApplication, kProductName, fieldSettingsKey(index));
}

void ProgramFixture::typeInto(int index, const QString &text)
{
    QLineEdit *field = m_form->field(index);
    field->setFocus();
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Delete);
    // One key press per character; a character outside the basic plane arrives as its surrogate pair.
    for (qsizetype index = 0; index < text.size(); ++index) {
        const qsizetype length = text.at(index).isHighSurrogate() && index + 1 < text.size() ? 2 : 1;
        QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, text.mid(index, length), Qt::NoModifier);
        index += length - 1;
    }
}

} // namespace quill::test
