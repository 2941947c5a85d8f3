#include "WordObjects.h"

#include <algorithm>

namespace quill {

namespace {

// The name the application object reports.
constexpr char kApplicationName[] = "Quill Word Processor";

} // namespace

void checkApplication(const ApplicationState &application)
{
    if (application.hasQuit)
        throw Error(Status::ApplicationQuit, QStringLiteral("The word processor has quit; its objects can no longer be used."));
}

void DocumentHandle::check() const
{
    checkApplication(*application);
    if (state->closed)
        throw Error(Status::DocumentClosed, QStringLiteral("The document has been closed; it can no longer be used."));
}

CollectionObject::CollectionObject()
{
    addProperty(QStringLiteral("Count"), [this]() { return QVariant(int(items().size())); });
    addMethod(QStringLiteral("Item"), {QStringLiteral("Index")}, [this](const std::vector<QVariant> &arguments) {
        requireArgument(arguments[0], QStringLiteral("Index"));
        const int index = toInteger(arguments[0], QStringLiteral("Index"));
        const std::vector<AutomationObjectPtr> all = items();
        if (index < 1 || size_t(index) > all.size())
            throw Error(Status::NoSuchItem, QStringLiteral("The requested member of the collection does not exist."));
        return toVariant(all[size_t(index) - 1]);
    });
}

ApplicationObject::ApplicationObject()
    : m_state(std::make_shared<ApplicationState>())
{
    const auto documents = std::make_shared<DocumentsObject>(m_state);
    addProperty(QStringLiteral("Documents"), [documents]() { return toVariant(documents); });
    addProperty(QStringLiteral("ActiveDocument"), [this]() {
        if (m_state->documents.empty())
            throw Error(Status::NoDocumentOpen, QStringLiteral("This command is not available because no document is open."));
        return toVariant(std::make_shared<DocumentObject>(DocumentHandle{m_state, m_state->documents.back()}));
    });
    addProperty(QStringLiteral("DisplayAlerts"),
                [this]() { return QVariant(int(m_state->displayAlerts)); },
                [this](const QVariant &value) {
                    const int level = toInteger(value, QStringLiteral("DisplayAlerts"));
                    if (level != int(AlertLevel::None) && level != int(AlertLevel::All) && level != int(AlertLevel::MessageBox))
                        throw Error(Status::ValueOutOfRange, QStringLiteral("The value is out of range (DisplayAlerts)."));
                    m_state->displayAlerts = AlertLevel(level);
                });
    addProperty(QStringLiteral("Visible"),
                [this]() { return QVariant(m_state->visible); },
                [this](const QVariant &value) { m_state->visible = toBoolean(value, QStringLiteral("Visible")); });
    addProperty(QStringLiteral("Name"), []() { return QVariant(QString::fromLatin1(kApplicationName)); });
    addMethod(QStringLiteral("Quit"),
              {QStringLiteral("SaveChanges"), QStringLiteral("OriginalFormat"), QStringLiteral("RouteDocument")},
              [this](const std::vector<QVariant> &arguments) {
                  quit(arguments);
                  return QVariant();
              });
}

void ApplicationObject::checkAvailable() const
{
    checkApplication(*m_state);
}

void ApplicationObject::quit(const std::vector<QVariant> &arguments)
{
    // The engine never prompts: unless SaveChanges asks to save, changes are dropped.
    const bool save = arguments[0].isValid()
            && toInteger(arguments[0], QStringLiteral("SaveChanges")) == int(SaveOption::Save);
    if (save) {
        for (const auto &document : m_state->documents) {
            if (document->document->isModified())
                document->document->saveAs(document->document->path());
        }
    }
    for (const auto &document : m_state->documents) {
        document->closed = true;
        document->document.reset();
    }
    m_state->documents.clear();
    m_state->hasQuit = true;
}

DocumentsObject::DocumentsObject(std::shared_ptr<ApplicationState> application)
    : m_application(std::move(application))
{
    addMethod(QStringLiteral("Open"),
              {QStringLiteral("FileName"), QStringLiteral("ConfirmConversions"), QStringLiteral("ReadOnly"),
               QStringLiteral("AddToRecentFiles"), QStringLiteral("PasswordDocument"), QStringLiteral("PasswordTemplate"),
               QStringLiteral("Revert"), QStringLiteral("WritePasswordDocument"), QStringLiteral("WritePasswordTemplate"),
               QStringLiteral("Format"), QStringLiteral("Encoding"), QStringLiteral("Visible"),
               QStringLiteral("OpenAndRepair"), QStringLiteral("DocumentDirection"), QStringLiteral("NoEncodingDialog"),
               QStringLiteral("XMLTransform")},
              [this](const std::vector<QVariant> &arguments) { return open(arguments); });
}

void DocumentsObject::checkAvailable() const
{
    checkApplication(*m_application);
}

std::vector<AutomationObjectPtr> DocumentsObject::items()
{
    checkAvailable();
    std::vector<AutomationObjectPtr> all;
    for (const auto &document : m_application->documents)
        all.push_back(std::make_shared<DocumentObject>(DocumentHandle{m_application, document}));
    return all;
}

QVariant DocumentsObject::open(const std::vector<QVariant> &arguments)
{
    constexpr size_t kFileName = 0;
    constexpr size_t kReadOnly = 2;
    requireArgument(arguments[kFileName], QStringLiteral("FileName"));
    const QString fileName = toText(arguments[kFileName], QStringLiteral("FileName"));
    const bool readOnly = arguments[kReadOnly].isValid() && toBoolean(arguments[kReadOnly], QStringLiteral("ReadOnly"));
    auto state = std::make_shared<DocumentState>();
    state->document = WordDocument::open(fileName, readOnly);
    m_application->documents.push_back(state);
    return toVariant(std::make_shared<DocumentObject>(DocumentHandle{m_application, state}));
}

} // namespace quill
