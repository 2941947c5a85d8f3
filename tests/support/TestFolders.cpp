#include "TestFolders.h"

#include "Product.h"

#include <QDir>
#include <QFile>
#include <QSettings>

namespace quill::test {

TestFolders::TestFolders()
    : m_previousTemp(qgetenv("TEMP"))
{
    setTemp(m_temp.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_settings.path());
}

TestFolders::~TestFolders()
{
    qputenv("TEMP", m_previousTemp);
}

QString TestFolders::settingsFile() const
{
    return m_settings.filePath(kSettingsApplication + QStringLiteral(".ini"));
}

QStringList TestFolders::tempEntries() const
{
    return QDir(m_temp.path()).entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot);
}

void TestFolders::setTemp(const QString &path)
{
    qputenv("TEMP", QFile::encodeName(path));
}

} // namespace quill::test
