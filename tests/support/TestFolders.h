#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace quill::test {

// A test's own folders: the temporary folder T (TEMP points at it), the settings location and a
// scratch folder for the test's own files; nothing touches the real user's files.
class TestFolders
{
public:
    // Creates the folders and points TEMP and the user settings path at them.
    TestFolders();
    // Puts TEMP back; the folders are removed.
    ~TestFolders();
    TestFolders(const TestFolders &) = delete;
    TestFolders &operator=(const TestFolders &) = delete;

    // True when every folder was created.
    bool isValid() const { return m_temp.isValid() && m_settings.isValid() && m_scratch.isValid(); }
    // The temporary folder T (TEMP).
    QString tempPath() const { return m_temp.path(); }
    // The folder of the settings file.
    QString settingsFolder() const { return m_settings.path(); }
    // The settings file the program writes.
    QString settingsFile() const;
    // A private scratch folder for the test's own files (outside T).
    QString scratchPath() const { return m_scratch.path(); }
    // Entries of T (files, links, folders), hidden ones included.
    QStringList tempEntries() const;
    // Points TEMP at `path`.
    static void setTemp(const QString &path);

private:
    QTemporaryDir m_temp;
    QTemporaryDir m_settings;
    QTemporaryDir m_scratch;
    QByteArray m_previousTemp;
};

} // namespace quill::test
