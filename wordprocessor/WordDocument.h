#pragma once

#include "Package.h"
#include "Story.h"
#include "TextSearch.h"

#include <QHash>
#include <QString>

class QPagedPaintDevice;

#include <map>
#include <memory>
#include <optional>
#include <vector>

#include <pugixml.hpp>

namespace quill {

struct LayoutSources;
class PackageParts;
class SearchIndex;

// Content type of a WordprocessingML document's main part.
inline constexpr char kDocumentMainContentType[] =
        "application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml";
// Content type of a WordprocessingML template's main part.
inline constexpr char kTemplateMainContentType[] =
        "application/vnd.openxmlformats-officedocument.wordprocessingml.template.main+xml";

// A WordprocessingML document (.docx / .dotx) in memory: its package, its stories and shapes,
// find and replace, and saving. This is the plain C++ face of the engine; the automation objects wrap it.
// Every failure is an Error whose description a user can read.
class WordDocument
{
public:
    // Reads and checks the document at `path`; `readOnly` forbids saving it over itself.
    static std::unique_ptr<WordDocument> open(const QString &path, bool readOnly = false);

    // Frees the package.
    ~WordDocument();

    // The absolute path the document was read from or last saved to.
    QString path() const { return m_path; }
    // True when the document was opened read-only and not yet saved under another name.
    bool isReadOnly() const { return m_readOnly; }
    // True when the document changed since it was opened or saved.
    bool isModified() const { return m_modified; }
    // The name of the main part ("word/document.xml").
    QString mainPartName() const { return m_mainPart; }
    // The package with every part.
    Package &package() { return *m_package; }

    // The story kinds present, in Word's enumeration order (the main text always).
    std::vector<StoryType> storyTypes();
    // How many ranges of kind `type` there are (headers and footers: one per distinct part; others: 0 or 1).
    int storyRangeCount(StoryType type);
    // The `index`-th range (from 0) of kind `type`; throws Error when there is none.
    Story story(StoryType type, int index = 0);

    // The floating shapes of the body, in document order.
    const std::vector<pugi::xml_node> &shapes();
    // The text of the text boxes of shape number `index` (from 0), as a story.
    Story shapeStory(int index);

    // Searches and replaces in `story` (see findInStory); returns the number of matches.
    int find(const Story &story, const FindOptions &options, ReplaceMode mode);
    // Replaces every occurrence of `text` in every story, ignoring letter case; returns the number replaced.
    int replaceEverywhere(const QString &text, const QString &replacement);
    // The text of the first range of kind `type` (empty when the kind is absent).
    QString storyText(StoryType type);

    // Writes the document as a document package (never a template) to `path`; from then on the
    // document is that file. Throws Error, leaving an existing file untouched on failure.
    void saveAs(const QString &path);

    // The parsed parts the body's rendering needs; throws Error for a damaged part.
    LayoutSources layoutSources();

    // Writes every page, as it prints, as a PDF to `path`, replacing a file there only once the PDF is
    // complete. Throws Error when it cannot, leaving an existing file untouched.
    void exportPdf(const QString &path);
    // Prints every page on `printer`; throws Error when the printer refuses.
    void print(QPagedPaintDevice &printer);

private:
    WordDocument() = default;
    void readStructure();
    QString relatedPart(const QString &typeSuffix);
    std::vector<pugi::xml_node> notes(StoryType type);
    const std::vector<StoryContainer> &bodyTextBoxes();
    Story readStory(StoryType type, int index);
    void setMainContentType();

    std::unique_ptr<Package> m_package;
    std::unique_ptr<PackageParts> m_layoutParts; // what layoutSources() hands the layout, made on first use
    QString m_path;
    QString m_mainPart;
    QHash<QString, QString> m_relatedParts; // relatedPart() by relationship type suffix
    bool m_readOnly = false;
    bool m_modified = false;
    // Header and footer parts per story kind, distinct, in section order.
    std::map<StoryType, std::vector<QString>> m_headerFooterParts;
    // The stories, the body's text boxes and its floating shapes, found on first use: replacing text adds or
    // removes none of them.
    std::optional<std::vector<StoryType>> m_storyTypes;
    std::map<std::pair<StoryType, int>, Story> m_stories;
    std::optional<std::vector<StoryContainer>> m_bodyTextBoxes;
    std::optional<std::vector<pugi::xml_node>> m_shapes;
    // What searches have read of the stories, kept from one search to the next.
    std::unique_ptr<SearchIndex> m_searchIndex;
};

} // namespace quill
