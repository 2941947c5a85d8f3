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
    : m_handle(std::move(handle))
{
    addProperty(QStringLiteral("StoryRanges"), [this]() { return toVariant(std::make_shared<StoryRangesObject>(m_handle)); });
    addMethod(QStringLiteral("Range"), {QStringLiteral("Start"), QStringLiteral("End")},
              [this](const std::vector<QVariant> &arguments) {
                  if (arguments[0].isValid() || arguments[1].isValid())
                      throw Error(Status::NotSupported, QStringLiteral("A range with start and end positions is not supported; only the whole main text is."));
                  return toVariant(std::make_shared<RangeObject>(m_handle, RangeTarget{}));
              });
    addProperty(QStringLiteral("Content"), [this]() { return toVariant(std::make_shared<RangeObject>(m_handle, RangeTarget{})); });
    addProperty(QStringLiteral("Shapes"), [this]() { return toVariant(std::make_shared<ShapesObject>(m_handle)); });
    addMethod(QStringLiteral("SaveAs"), saveAsParameters(), [this](const std::vector<QVariant> &arguments) {
        saveAs(arguments);
        return QVariant();
    });
    addMethod(QStringLiteral("SaveAs2"), saveAsParameters(), [this](const std::vector<QVariant> &arguments) {
        saveAs(arguments);
        return QVariant();
    });
    addMethod(QStringLiteral("Save"), {}, [this](const std::vector<QVariant> &) {
        save();
        return QVariant();
    });
    addMethod(QStringLiteral("ExportAsFixedFormat"), {QStringLiteral("OutputFileName"), QStringLiteral("ExportFormat")},
              [this](const std::vector<QVariant> &arguments) {
                  exportFixedFormat(arguments);
                  return QVariant();
              });
    addMethod(QStringLiteral("PrintOut"), {QStringLiteral("Printer")}, [this](const std::vector<QVariant> &arguments) {
        // The printer is the paged paint device the caller set up (QPrinter), handed over by address.
        requireArgument(arguments[0], QStringLiteral("Printer"));
        auto *printer = static_cast<QPagedPaintDevice *>(arguments[0].value<void *>());
        if (!printer)
            throw Error(Status::TypeMismatch, QStringLiteral("PrintOut needs a printer."));
        m_handle.document().print(*printer);
        return QVariant();
    });
    addMethod(QStringLiteral("Close"),
              {QStringLiteral("SaveChanges"), QStringLiteral("OriginalFormat"), QStringLiteral("RouteDocument")},
              [this](const std::vector<QVariant> &arguments) {
                  close(arguments);
                  return QVariant();
              });
    addProperty(QStringLiteral("FullName"), [this]() { return QVariant(QDir::toNativeSeparators(m_handle.document().path())); });
    addProperty(QStringLiteral("Name"), [this]() { return QVariant(QFileInfo(m_handle.document().path()).fileName()); });
    addProperty(QStringLiteral("Path"), [this]() {
        return QVariant(QDir::toNativeSeparators(QFileInfo(m_handle.document().path()).absolutePath()));
    });
    addProperty(QStringLiteral("ReadOnly"), [this]() { return QVariant(m_handle.document().isReadOnly()); });
    addProperty(QStringLiteral("Saved"), [this]() { return QVariant(!m_handle.document().isModified()); });
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
    : m_handle(std::move(handle))
{
    addMethod(QStringLiteral("Item"), {QStringLiteral("Index")}, [this](const std::vector<QVariant> &arguments) {
        requireArgument(arguments[0], QStringLiteral("Index"));
        const int type = toInteger(arguments[0], QStringLiteral("Index"));
        if (type < kFirstStoryType || type > kLastStoryType || m_handle.document().storyRangeCount(StoryType(type)) == 0)
            throw Error(Status::NoSuchItem, QStringLiteral("The requested member of the collection does not exist."));
        return toVariant(std::make_shared<RangeObject>(m_handle, RangeTarget{StoryType(type), 0, -1}));
    });
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
    : m_handle(std::move(handle))
{
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
    : m_handle(std::move(handle))
    , m_index(index)
{
    addProperty(QStringLiteral("TextFrame"), [this]() { return toVariant(std::make_shared<TextFrameObject>(m_handle, m_index)); });
    addProperty(QStringLiteral("Type"), [this]() {
        const bool textBox = !m_handle.document().shapeStory(m_index).containers.empty();
        return QVariant(textBox ? kShapeTypeTextBox : kShapeTypeAutoShape);
    });
    addProperty(QStringLiteral("Name"), [this]() {
        const pugi::xml_node shape = m_handle.document().shapes().at(size_t(m_index));
        const pugi::xml_node properties = shape.find_node([](pugi::xml_node node) {
            return isElement(node, "docPr", XmlNamespace::WordDrawing);
        });
        if (properties)
            return QVariant(QString::fromUtf8(properties.attribute("name").value()));
        return QVariant(QStringLiteral("Shape %1").arg(m_index + 1));
    });
}

void ShapeObject::checkAvailable() const
{
    m_handle.check();
}

TextFrameObject::TextFrameObject(DocumentHandle handle, int shapeIndex)
    : m_handle(std::move(handle))
    , m_shapeIndex(shapeIndex)
{
    addProperty(QStringLiteral("HasText"), [this]() {
        const Story story = m_handle.document().shapeStory(m_shapeIndex);
        const QString text = storyText(story);
        return QVariant(std::any_of(text.begin(), text.end(), [](QChar character) { return character != u'\r'; }));
    });
    addProperty(QStringLiteral("TextRange"), [this]() {
        if (!hasTextBox())
            throw Error(Status::NoTextFrame, QStringLiteral("This shape has no text frame."));
        return toVariant(std::make_shared<RangeObject>(m_handle, RangeTarget{StoryType::TextFrame, 0, m_shapeIndex}));
    });
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
