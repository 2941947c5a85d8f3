#include "WordObjects.h"
#include "WordXml.h"

#include <QDir>
#include <QFileInfo>
#include <QPagedPaintDevice>

#include <algorithm>

namespace quill {

namespace {

// Office's MsoShapeType values reported by Shape.Type.
constexpr int kShapeTypeAutoShape = 1;
constexpr int kShapeTypeTextBox = 17;
// Word's WdExportFormat value for PDF.
constexpr int kExportFormatPdf = 17;

std::vector<QString> saveAsParameters()
{
    return {QStringLiteral("FileName"), QStringLiteral("FileFormat"), QStringLiteral("LockComments"),
            QStringLiteral("Password"), QStringLiteral("AddToRecentFiles"), QStringLiteral("WritePassword"),
            QStringLiteral("ReadOnlyRecommended"), QStringLiteral("EmbedTrueTypeFonts"),
            QStringLiteral("SaveNativePictureFormat"), QStringLiteral("SaveFormsData"),
            QStringLiteral("SaveAsAOCELetter"), QStringLiteral("Encoding"), QStringLiteral("InsertLineBreaks"),
            QStringLiteral("AllowSubstitutions"), QStringLiteral("LineEnding"), QStringLiteral("AddBiDiMarks"),
            QStringLiteral("CompatibilityMode")};
}

} // namespace

DocumentObject::DocumentObject(DocumentHandle handle)
    : DispatchObject(members())
    , m_handle(std::move(handle))
{
}

const MemberTable &DocumentObject::members()
{
    static const MemberTable table = [] {
        MemberTable table;
        MembersOf<DocumentObject> add(table);
        add.property(QStringLiteral("StoryRanges"),
                     [](DocumentObject &self) { return toVariant(std::make_shared<StoryRangesObject>(self.m_handle)); });
        add.method(QStringLiteral("Range"), {QStringLiteral("Start"), QStringLiteral("End")},
                   [](DocumentObject &self, const std::vector<QVariant> &arguments) {
                       if (arguments[0].isValid() || arguments[1].isValid())
                           throw Error(Status::NotSupported, QStringLiteral("A range with start and end positions is not supported; only the whole main text is."));
                       return toVariant(std::make_shared<RangeObject>(self.m_handle, RangeTarget{}));
                   });
        add.property(QStringLiteral("Content"),
                     [](DocumentObject &self) { return toVariant(std::make_shared<RangeObject>(self.m_handle, RangeTarget{})); });
        add.property(QStringLiteral("Shapes"), [](DocumentObject &self) { return toVariant(std::make_shared<ShapesObject>(self.m_handle)); });
        const auto saveAs = [](DocumentObject &self, const std::vector<QVariant> &arguments) {
            self.saveAs(arguments);
            return QVariant();
        };
        add.method(QStringLiteral("SaveAs"), saveAsParameters(), saveAs);
        add.method(QStringLiteral("SaveAs2"), saveAsParameters(), saveAs);
        add.method(QStringLiteral("Save"), {}, [](DocumentObject &self, const std::vector<QVariant> &) {
            self.save();
            return QVariant();
        });
        add.method(QStringLiteral("ExportAsFixedFormat"), {QStringLiteral("OutputFileName"), QStringLiteral("ExportFormat")},
                   [](DocumentObject &self, const std::vector<QVariant> &arguments) {
                       self.exportFixedFormat(arguments);
                       return QVariant();
                   });
        add.method(QStringLiteral("PrintOut"), {QStringLiteral("Printer")}, [](DocumentObject &self, const std::vector<QVariant> &arguments) {
            // The printer is the paged paint device the caller set up (QPrinter), handed over by address.
            requireArgument(arguments[0], QStringLiteral("Printer"));
            auto *printer = static_cast<QPagedPaintDevice *>(arguments[0].value<void *>());
            if (!printer)
                throw Error(Status::TypeMismatch, QStringLiteral("PrintOut needs a printer."));
            self.m_handle.document().print(*printer);
            return QVariant();
        });
        add.method(QStringLiteral("Close"), {QStringLiteral("SaveChanges"), QStringLiteral("OriginalFormat"), QStringLiteral("RouteDocument")},
                   [](DocumentObject &self, const std::vector<QVariant> &arguments) {
                       self.close(arguments);
                       return QVariant();
                   });
        add.property(QStringLiteral("FullName"),
                     [](DocumentObject &self) { return QVariant(QDir::toNativeSeparators(self.m_handle.document().path())); });
        add.property(QStringLiteral("Name"), [](DocumentObject &self) { return QVariant(QFileInfo(self.m_handle.document().path()).fileName()); });
        add.property(QStringLiteral("Path"), [](DocumentObject &self) {
            return QVariant(QDir::toNativeSeparators(QFileInfo(self.m_handle.document().path()).absolutePath()));
        });
        add.property(QStringLiteral("ReadOnly"), [](DocumentObject &self) { return QVariant(self.m_handle.document().isReadOnly()); });
        add.property(QStringLiteral("Saved"), [](DocumentObject &self) { return QVariant(!self.m_handle.document().isModified()); });
        return table;
    }();
    return table;
}

void DocumentObject::checkAvailable() const
{
    m_handle.check();
}

void DocumentObject::saveAs(const std::vector<QVariant> &arguments)
{
    // Whatever FileFormat asks for, the result is a WordprocessingML document package.
    requireArgument(arguments[0], QStringLiteral("FileName"));
    m_handle.document().saveAs(toText(arguments[0], QStringLiteral("FileName")));
}

void DocumentObject::exportFixedFormat(const std::vector<QVariant> &arguments)
{
    requireArgument(arguments[0], QStringLiteral("OutputFileName"));
    requireArgument(arguments[1], QStringLiteral("ExportFormat"));
    if (toInteger(arguments[1], QStringLiteral("ExportFormat")) != kExportFormatPdf)
        throw Error(Status::NotSupported, QStringLiteral("Only PDF export (ExportFormat 17) is supported."));
    m_handle.document().exportPdf(toText(arguments[0], QStringLiteral("OutputFileName")));
}

void DocumentObject::save()
{
    WordDocument &document = m_handle.document();
    if (document.isReadOnly())
        throw Error(Status::DocumentReadOnly, QStringLiteral("The document \"%1\" was opened read-only; its changes cannot be saved over it. Save it under another name.")
                                  .arg(QDir::toNativeSeparators(document.path())));
    document.saveAs(document.path());
}

void DocumentObject::close(const std::vector<QVariant> &arguments)
{
    // The engine never prompts: unless SaveChanges asks to save, changes are dropped.
    const bool saveFirst = arguments[0].isValid()
            && toInteger(arguments[0], QStringLiteral("SaveChanges")) == int(SaveOption::Save);
    if (saveFirst)
        save();
    std::vector<std::shared_ptr<DocumentState>> &open = m_handle.application->documents;
    open.erase(std::remove(open.begin(), open.end(), m_handle.state), open.end());
    m_handle.state->closed = true;
    // Release the document's memory now; objects that still refer to it only report that it is closed.
    m_handle.state->document.reset();
}

StoryRangesObject::StoryRangesObject(DocumentHandle handle)
    : CollectionObject(members())
    , m_handle(std::move(handle))
{
}

const MemberTable &StoryRangesObject::members()
{
    static const MemberTable table = [] {
        MemberTable table;
        addCollectionMembers(table);
        // Item takes a story kind (WdStoryType), not a position.
        MembersOf<StoryRangesObject>(table).method(
                QStringLiteral("Item"), {QStringLiteral("Index")}, [](StoryRangesObject &self, const std::vector<QVariant> &arguments) {
                    requireArgument(arguments[0], QStringLiteral("Index"));
                    const int type = toInteger(arguments[0], QStringLiteral("Index"));
                    if (type < kFirstStoryType || type > kLastStoryType || self.m_handle.document().storyRangeCount(StoryType(type)) == 0)
                        throw Error(Status::NoSuchItem, QStringLiteral("The requested member of the collection does not exist."));
                    return toVariant(std::make_shared<RangeObject>(self.m_handle, RangeTarget{StoryType(type), 0, -1}));
                });
        return table;
    }();
    return table;
}

void StoryRangesObject::checkAvailable() const
{
    m_handle.check();
}

std::vector<AutomationObjectPtr> StoryRangesObject::items()
{
    checkAvailable();
    std::vector<AutomationObjectPtr> ranges;
    for (const StoryType type : m_handle.document().storyTypes())
        ranges.push_back(std::make_shared<RangeObject>(m_handle, RangeTarget{type, 0, -1}));
    return ranges;
}

ShapesObject::ShapesObject(DocumentHandle handle)
    : CollectionObject(members())
    , m_handle(std::move(handle))
{
}

const MemberTable &ShapesObject::members()
{
    static const MemberTable table = [] {
        MemberTable table;
        addCollectionMembers(table);
        return table;
    }();
    return table;
}

void ShapesObject::checkAvailable() const
{
    m_handle.check();
}

std::vector<AutomationObjectPtr> ShapesObject::items()
{
    checkAvailable();
    std::vector<AutomationObjectPtr> shapes;
    const int count = int(m_handle.document().shapes().size());
    for (int index = 0; index < count; ++index)
        shapes.push_back(std::make_shared<ShapeObject>(m_handle, index));
    return shapes;
}

ShapeObject::ShapeObject(DocumentHandle handle, int index)
    : DispatchObject(members())
    , m_handle(std::move(handle))
    , m_index(index)
{
}

const MemberTable &ShapeObject::members()
{
    static const MemberTable table = [] {
        MemberTable table;
        MembersOf<ShapeObject> add(table);
        add.property(QStringLiteral("TextFrame"),
                     [](ShapeObject &self) { return toVariant(std::make_shared<TextFrameObject>(self.m_handle, self.m_index)); });
        add.property(QStringLiteral("Type"), [](ShapeObject &self) {
            const bool textBox = !self.m_handle.document().shapeStory(self.m_index).containers.empty();
            return QVariant(textBox ? kShapeTypeTextBox : kShapeTypeAutoShape);
        });
        add.property(QStringLiteral("Name"), [](ShapeObject &self) {
            const pugi::xml_node shape = self.m_handle.document().shapes().at(size_t(self.m_index));
            const pugi::xml_node properties = shape.find_node([](pugi::xml_node node) {
                return isElement(node, "docPr", XmlNamespace::WordDrawing);
            });
            if (properties)
                return QVariant(QString::fromUtf8(properties.attribute("name").value()));
            return QVariant(QStringLiteral("Shape %1").arg(self.m_index + 1));
        });
        return table;
    }();
    return table;
}

void ShapeObject::checkAvailable() const
{
    m_handle.check();
}

TextFrameObject::TextFrameObject(DocumentHandle handle, int shapeIndex)
    : DispatchObject(members())
    , m_handle(std::move(handle))
    , m_shapeIndex(shapeIndex)
{
}

const MemberTable &TextFrameObject::members()
{
    static const MemberTable table = [] {
        MemberTable table;
        MembersOf<TextFrameObject> add(table);
        add.property(QStringLiteral("HasText"), [](TextFrameObject &self) {
            const QString text = storyText(self.m_handle.document().shapeStory(self.m_shapeIndex));
            return QVariant(std::any_of(text.begin(), text.end(), [](QChar character) { return character != u'\r'; }));
        });
        add.property(QStringLiteral("TextRange"), [](TextFrameObject &self) {
            if (!self.hasTextBox())
                throw Error(Status::NoTextFrame, QStringLiteral("This shape has no text frame."));
            return toVariant(std::make_shared<RangeObject>(self.m_handle, RangeTarget{StoryType::TextFrame, 0, self.m_shapeIndex}));
        });
        return table;
    }();
    return table;
}

void TextFrameObject::checkAvailable() const
{
    m_handle.check();
}

bool TextFrameObject::hasTextBox() const
{
    return !m_handle.document().shapeStory(m_shapeIndex).containers.empty();
}

} // namespace quill
