#pragma once

#include "DispatchObject.h"
#include "TextSearch.h"
#include "WordDocument.h"

#include <memory>
#include <vector>

namespace quill {

// Word's WdAlertLevel values.
enum class AlertLevel { None = 0, All = -1, MessageBox = -2 };

// Word's WdSaveOptions values, the SaveChanges argument of Close and Quit.
enum class SaveOption { DoNotSave = 0, Save = -1, Prompt = -2 };

struct DocumentState;

// What one application instance knows; shared by its objects.
struct ApplicationState
{
    bool hasQuit = false;
    AlertLevel displayAlerts = AlertLevel::All;
    bool visible = false;
    // The settings of the last search; a new Find starts from them, as Word's do.
    FindOptions findSettings;
    // The open documents, oldest first; the last one is the active document.
    std::vector<std::shared_ptr<DocumentState>> documents;
};

// One open document.
struct DocumentState
{
    std::unique_ptr<WordDocument> document;
    bool closed = false;
};

// What every object below a document holds: its application and its document.
struct DocumentHandle
{
    std::shared_ptr<ApplicationState> application;
    std::shared_ptr<DocumentState> state;

    // Throws Error when the application has quit or the document was closed.
    void check() const;
    // The document; call check() first.
    WordDocument &document() const { return *state->document; }
};

// Throws Error when the application has quit.
void checkApplication(const ApplicationState &application);

// Which story a range covers: a range of a story kind, or the text of one shape.
struct RangeTarget
{
    StoryType type = StoryType::MainText;
    int index = 0;       // which range of the kind (headers and footers of later sections)
    int shapeIndex = -1; // the shape whose text this is, or -1
};

// A collection: Count, Item(Index) from 1, and For Each through items().
class CollectionObject : public DispatchObject
{
protected:
    explicit CollectionObject(const MemberTable &members)
        : DispatchObject(members)
    {
    }
    // Adds Count and Item, both based on items(), to a collection class's table.
    static void addCollectionMembers(MemberTable &table);
};

// Application: Documents, ActiveDocument, DisplayAlerts, Visible, Quit.
class ApplicationObject : public DispatchObject
{
public:
    // A new application with no document open.
    ApplicationObject();

private:
    static const MemberTable &members();
    void checkAvailable() const override;
    void quit(const std::vector<QVariant> &arguments);

    std::shared_ptr<ApplicationState> m_state;
    AutomationObjectPtr m_documents;
};

// Application.Documents: Open, Count, Item.
class DocumentsObject : public CollectionObject
{
public:
    // The documents of `application`.
    explicit DocumentsObject(std::shared_ptr<ApplicationState> application);
    // The open documents, oldest first.
    std::vector<AutomationObjectPtr> items() override;

private:
    static const MemberTable &members();
    void checkAvailable() const override;
    QVariant open(const std::vector<QVariant> &arguments);

    std::shared_ptr<ApplicationState> m_application;
};

// Document: StoryRanges, Range, Content, Shapes, SaveAs, Save, Close, FullName, Name, Path, ReadOnly, Saved.
class DocumentObject : public DispatchObject
{
public:
    // The document `handle` refers to.
    explicit DocumentObject(DocumentHandle handle);

private:
    static const MemberTable &members();
    void checkAvailable() const override;
    void saveAs(const std::vector<QVariant> &arguments);
    void exportFixedFormat(const std::vector<QVariant> &arguments);
    void save();
    void close(const std::vector<QVariant> &arguments);

    DocumentHandle m_handle;
};

// Document.StoryRanges: the first range of each story kind present, in Word's order; Item(WdStoryType).
class StoryRangesObject : public CollectionObject
{
public:
    // The stories of the document `handle` refers to.
    explicit StoryRangesObject(DocumentHandle handle);
    // The first range of each story kind present.
    std::vector<AutomationObjectPtr> items() override;

private:
    static const MemberTable &members();
    void checkAvailable() const override;

    DocumentHandle m_handle;
};

// Document.Shapes: the floating shapes of the body.
class ShapesObject : public CollectionObject
{
public:
    // The shapes of the document `handle` refers to.
    explicit ShapesObject(DocumentHandle handle);
    // The shapes in document order.
    std::vector<AutomationObjectPtr> items() override;

private:
    static const MemberTable &members();
    void checkAvailable() const override;

    DocumentHandle m_handle;
};

// Shape: Name, Type, TextFrame.
class ShapeObject : public DispatchObject
{
public:
    // Shape number `index` (from 0) of the body.
    ShapeObject(DocumentHandle handle, int index);

private:
    static const MemberTable &members();
    void checkAvailable() const override;

    DocumentHandle m_handle;
    int m_index;
};

// Shape.TextFrame: HasText, TextRange.
class TextFrameObject : public DispatchObject
{
public:
    // The text frame of shape number `shapeIndex` (from 0).
    TextFrameObject(DocumentHandle handle, int shapeIndex);

private:
    static const MemberTable &members();
    void checkAvailable() const override;
    bool hasTextBox() const;

    DocumentHandle m_handle;
    int m_shapeIndex;
};

// Range: Find, Text, StoryType, NextStoryRange, CopyAsPicture.
class RangeObject : public DispatchObject
{
public:
    // The range `target` of the document.
    RangeObject(DocumentHandle handle, RangeTarget target);

private:
    static const MemberTable &members();
    void checkAvailable() const override;
    Story story() const;
    void copyAsPicture();

    DocumentHandle m_handle;
    RangeTarget m_target;
    AutomationObjectPtr m_find; // one Find per range, as in Word
};

// Find: Word's search settings of a range and Execute.
class FindObject : public DispatchObject
{
public:
    // A search in the range `target`, starting from the application's last search settings.
    FindObject(DocumentHandle handle, RangeTarget target);

private:
    static const MemberTable &members();
    void checkAvailable() const override;
    QVariant execute(const std::vector<QVariant> &arguments);
    Story story() const;

    DocumentHandle m_handle;
    RangeTarget m_target;
    std::shared_ptr<FindOptions> m_options; // shared with the Replacement object
    bool m_found = false;
    AutomationObjectPtr m_replacement;
};

// Find.Replacement: Text, ClearFormatting.
class ReplacementObject : public DispatchObject
{
public:
    // The replacement settings kept in `options`.
    ReplacementObject(DocumentHandle handle, std::shared_ptr<FindOptions> options);

private:
    static const MemberTable &members();
    void checkAvailable() const override;

    DocumentHandle m_handle;
    std::shared_ptr<FindOptions> m_options;
};

} // namespace quill
