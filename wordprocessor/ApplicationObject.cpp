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

void CollectionObject::addCollectionMembers(MemberTable &table)
{
    MembersOf<CollectionObject> add(table);
    add.property(QStringLiteral("Count"), [](CollectionObject &self) { return QVariant(int(self.items().size())); });
    add.method(QStringLiteral("Item"), {QStringLiteral("Index")}, [](CollectionObject &self, const std::vector<QVariant> &arguments) {
        requireArgument(arguments[0], QStringLiteral("Index"));
        const int index = toInteger(arguments[0], QStringLiteral("Index"));
        const std::vector<AutomationObjectPtr> all = self.items();
        if (index < 1 || size_t(index) > all.size())
            throw Error(Status::NoSuchItem, QStringLiteral("The requested member of the collection does not exist."));
        return toVariant(all[size_t(index) - 1]);
    });
}

ApplicationObject::ApplicationObject()
    : DispatchObject(members())
    , m_state(std::make_shared<ApplicationState>())
    , m_documents(std::make_shared<DocumentsObject>(m_state))
{
}

const MemberTable &ApplicationObject::members()
{
    static const MemberTable table = [] {
        MemberTable table;
        MembersOf<ApplicationObject> add(table);
        add.property(QStringLiteral("Documents"), [](ApplicationObject &self) { return toVariant(self.m_documents); });
        add.property(QStringLiteral("ActiveDocument"), [](ApplicationObject &self) {
            const std::shared_ptr<ApplicationState> &state = self.m_state;
            if (state->documents.empty())
                throw Error(Status::NoDocumentOpen, QStringLiteral("This command is not available because no document is open."));
            return toVariant(std::make_shared<DocumentObject>(DocumentHandle{state, state->documents.back()}));
        });
        add.property(
                QStringLiteral("DisplayAlerts"), [](ApplicationObject &self) { return QVariant(int(self.m_state->displayAlerts)); },
                [](ApplicationObject &self, const QVariant &value) {
                    const int level = toInteger(value, QStringLiteral("DisplayAlerts"));
                    if (level != int(AlertLevel::None) && level != int(AlertLevel::All) && level != int(AlertLevel::MessageBox))
                        throw Error(Status::ValueOutOfRange, QStringLiteral("The value is out of range (DisplayAlerts)."));
                    self.m_state->displayAlerts = AlertLevel(level);
                });
        add.property(
                QStringLiteral("Visible"), [](ApplicationObject &self) { return QVariant(self.m_state->visible); },
                [](ApplicationObject &self, const QVariant &value) { self.m_state->visible = toBoolean(value, QStringLiteral("Visible")); });
        add.property(QStringLiteral("Name"), [](ApplicationObject &) { return QVariant(QString::fromLatin1(kApplicationName)); });
        add.method(QStringLiteral("Quit"), {QStringLiteral("SaveChanges"), QStringLiteral("OriginalFormat"), QStringLiteral("RouteDocument")},
                   [](ApplicationObject &self, const std::vector<QVariant> &arguments) {
                       self.quit(arguments);
                       return QVariant();
                   });
        return table;
    }();
    return table;
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
    : CollectionObject(members())
    , m_application(std::move(application))
{
}

const MemberTable &DocumentsObject::members()
{
    static const MemberTable table = [] {
        MemberTable table;
        addCollectionMembers(table);
        MembersOf<DocumentsObject>(table).method(
                QStringLiteral("Open"),
                {QStringLiteral("FileName"), QStringLiteral("ConfirmConversions"), QStringLiteral("ReadOnly"),
                 QStringLiteral("AddToRecentFiles"), QStringLiteral("PasswordDocument"), QStringLiteral("PasswordTemplate"),
                 QStringLiteral("Revert"), QStringLiteral("WritePasswordDocument"), QStringLiteral("WritePasswordTemplate"),
                 QStringLiteral("Format"), QStringLiteral("Encoding"), QStringLiteral("Visible"),
                 QStringLiteral("OpenAndRepair"), QStringLiteral("DocumentDirection"), QStringLiteral("NoEncodingDialog"),
                 QStringLiteral("XMLTransform")},
                [](DocumentsObject &self, const std::vector<QVariant> &arguments) { return self.open(arguments); });
        return table;
    }();
    return table;
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
