#include "WordObjects.h"

#include "layout/BodyLayout.h"
#include "layout/ClipboardPicture.h"

#include <QGuiApplication>

namespace quill {

namespace {

// Execute's parameters in Word's order, made once: every range's Find lists them.
const std::vector<QString> &executeParameters()
{
    static const std::vector<QString> parameters{QStringLiteral("FindText"), QStringLiteral("MatchCase"), QStringLiteral("MatchWholeWord"),
            QStringLiteral("MatchWildcards"), QStringLiteral("MatchSoundsLike"), QStringLiteral("MatchAllWordForms"),
            QStringLiteral("Forward"), QStringLiteral("Wrap"), QStringLiteral("Format"),
            QStringLiteral("ReplaceWith"), QStringLiteral("Replace"), QStringLiteral("MatchKashida"),
            QStringLiteral("MatchDiacritics"), QStringLiteral("MatchAlefHamza"), QStringLiteral("MatchControl")};
    return parameters;
}

// Positions of Execute's parameters.
enum ExecuteParameter : size_t {
    kFindText,
    kMatchCase,
    kMatchWholeWord,
    kMatchWildcards,
    kMatchSoundsLike,
    kMatchAllWordForms,
    kForward,
    kWrap,
    kFormat,
    kReplaceWith,
    kReplace
};

FindWrap toWrap(const QVariant &value)
{
    const int wrap = toInteger(value, QStringLiteral("Wrap"));
    if (wrap < int(FindWrap::Stop) || wrap > int(FindWrap::Ask))
        throw Error(Status::ValueOutOfRange, QStringLiteral("The value is out of range (Wrap)."));
    return FindWrap(wrap);
}

ReplaceMode toReplaceMode(const QVariant &value)
{
    const int replace = toInteger(value, QStringLiteral("Replace"));
    if (replace < int(ReplaceMode::None) || replace > int(ReplaceMode::All))
        throw Error(Status::ValueOutOfRange, QStringLiteral("The value is out of range (Replace)."));
    return ReplaceMode(replace);
}

Story resolveStory(const DocumentHandle &handle, const RangeTarget &target)
{
    if (target.shapeIndex >= 0)
        return handle.document().shapeStory(target.shapeIndex);
    return handle.document().story(target.type, target.index);
}

} // namespace

RangeObject::RangeObject(DocumentHandle handle, RangeTarget target)
    : DispatchObject(members())
    , m_handle(std::move(handle))
    , m_target(target)
{
}

const MemberTable &RangeObject::members()
{
    static const MemberTable table = [] {
        MemberTable table;
        MembersOf<RangeObject> add(table);
        add.property(QStringLiteral("Find"), [](RangeObject &self) {
            if (!self.m_find)
                self.m_find = std::make_shared<FindObject>(self.m_handle, self.m_target);
            return toVariant(self.m_find);
        });
        add.property(QStringLiteral("Text"), [](RangeObject &self) { return QVariant(storyText(self.story())); });
        add.property(QStringLiteral("StoryType"), [](RangeObject &self) { return QVariant(int(self.m_target.type)); });
        add.property(QStringLiteral("NextStoryRange"), [](RangeObject &self) {
            // Only later sections' own headers and footers form further ranges of a kind.
            const RangeTarget &target = self.m_target;
            if (target.shapeIndex >= 0 || target.index + 1 >= self.m_handle.document().storyRangeCount(target.type))
                return QVariant();
            return toVariant(std::make_shared<RangeObject>(self.m_handle, RangeTarget{target.type, target.index + 1, -1}));
        });
        add.method(QStringLiteral("CopyAsPicture"), {}, [](RangeObject &self, const std::vector<QVariant> &) {
            self.copyAsPicture();
            return QVariant();
        });
        return table;
    }();
    return table;
}

void RangeObject::checkAvailable() const
{
    m_handle.check();
}

Story RangeObject::story() const
{
    return resolveStory(m_handle, m_target);
}

void RangeObject::copyAsPicture()
{
    if (m_target.type != StoryType::MainText || m_target.shapeIndex >= 0)
        throw Error(Status::PictureFailed, QStringLiteral("Only the main text of a document can be copied as a picture."));
    // The clipboard belongs to a GUI application; without one there is nowhere to put the picture.
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        throw Error(Status::PictureFailed, QStringLiteral("The picture cannot be copied: no clipboard is available to this program."));
    const LayoutSources sources = m_handle.document().layoutSources();
    BodyPicture body;
    try {
        body = renderBody(sources);
    } catch (const Error &) {
        throw;
    } catch (const std::exception &error) {
        throw Error(Status::PictureFailed, QStringLiteral("The document could not be drawn as a picture: %1").arg(QString::fromLocal8Bit(error.what())));
    }
    putPictureOnClipboard(body.picture);
}

FindObject::FindObject(DocumentHandle handle, RangeTarget target)
    : DispatchObject(members())
    , m_handle(std::move(handle))
    , m_target(target)
    , m_options(std::make_shared<FindOptions>(m_handle.application->findSettings))
    , m_replacement(std::make_shared<ReplacementObject>(m_handle, m_options))
{
}

const MemberTable &FindObject::members()
{
    static const MemberTable table = [] {
        MemberTable table;
        MembersOf<FindObject> add(table);
        const auto flag = [&add](const QString &name, bool FindOptions::*field) {
            add.property(
                    name, [field](FindObject &self) { return QVariant((*self.m_options).*field); },
                    [field, name](FindObject &self, const QVariant &value) { (*self.m_options).*field = toBoolean(value, name); });
        };
        add.property(
                QStringLiteral("Text"), [](FindObject &self) { return QVariant(self.m_options->text); },
                [](FindObject &self, const QVariant &value) { self.m_options->text = toText(value, QStringLiteral("Text")); });
        add.property(QStringLiteral("Replacement"), [](FindObject &self) { return toVariant(self.m_replacement); });
        flag(QStringLiteral("Forward"), &FindOptions::forward);
        flag(QStringLiteral("Format"), &FindOptions::format);
        flag(QStringLiteral("MatchCase"), &FindOptions::matchCase);
        flag(QStringLiteral("MatchWholeWord"), &FindOptions::matchWholeWord);
        flag(QStringLiteral("MatchWildcards"), &FindOptions::matchWildcards);
        flag(QStringLiteral("MatchSoundsLike"), &FindOptions::matchSoundsLike);
        flag(QStringLiteral("MatchAllWordForms"), &FindOptions::matchAllWordForms);
        add.property(
                QStringLiteral("Wrap"), [](FindObject &self) { return QVariant(int(self.m_options->wrap)); },
                [](FindObject &self, const QVariant &value) { self.m_options->wrap = toWrap(value); });
        add.property(QStringLiteral("Found"), [](FindObject &self) { return QVariant(self.m_found); });
        // No formatting conditions are kept, so there is nothing to clear.
        add.method(QStringLiteral("ClearFormatting"), {}, [](FindObject &, const std::vector<QVariant> &) { return QVariant(); });
        add.method(QStringLiteral("Execute"), executeParameters(),
                   [](FindObject &self, const std::vector<QVariant> &arguments) { return self.execute(arguments); });
        return table;
    }();
    return table;
}

void FindObject::checkAvailable() const
{
    m_handle.check();
}

Story FindObject::story() const
{
    return resolveStory(m_handle, m_target);
}

QVariant FindObject::execute(const std::vector<QVariant> &arguments)
{
    // Arguments given to Execute become the Find's settings; omitted ones keep the current settings.
    FindOptions options = *m_options;
    if (arguments[kFindText].isValid())
        options.text = toText(arguments[kFindText], QStringLiteral("FindText"));
    const auto flag = [&arguments](size_t position, const QString &name, bool &field) {
        if (arguments[position].isValid())
            field = toBoolean(arguments[position], name);
    };
    flag(kMatchCase, QStringLiteral("MatchCase"), options.matchCase);
    flag(kMatchWholeWord, QStringLiteral("MatchWholeWord"), options.matchWholeWord);
    flag(kMatchWildcards, QStringLiteral("MatchWildcards"), options.matchWildcards);
    flag(kMatchSoundsLike, QStringLiteral("MatchSoundsLike"), options.matchSoundsLike);
    flag(kMatchAllWordForms, QStringLiteral("MatchAllWordForms"), options.matchAllWordForms);
    flag(kForward, QStringLiteral("Forward"), options.forward);
    flag(kFormat, QStringLiteral("Format"), options.format);
    if (arguments[kWrap].isValid())
        options.wrap = toWrap(arguments[kWrap]);
    if (arguments[kReplaceWith].isValid())
        options.replacement = toText(arguments[kReplaceWith], QStringLiteral("ReplaceWith"));
    const ReplaceMode mode = arguments[kReplace].isValid() ? toReplaceMode(arguments[kReplace]) : ReplaceMode::None;

    *m_options = options;
    m_handle.application->findSettings = options;
    m_found = m_handle.document().find(story(), options, mode) > 0;
    return QVariant(m_found);
}

ReplacementObject::ReplacementObject(DocumentHandle handle, std::shared_ptr<FindOptions> options)
    : DispatchObject(members())
    , m_handle(std::move(handle))
    , m_options(std::move(options))
{
}

const MemberTable &ReplacementObject::members()
{
    static const MemberTable table = [] {
        MemberTable table;
        MembersOf<ReplacementObject> add(table);
        add.property(
                QStringLiteral("Text"), [](ReplacementObject &self) { return QVariant(self.m_options->replacement); },
                [](ReplacementObject &self, const QVariant &value) { self.m_options->replacement = toText(value, QStringLiteral("Text")); });
        // No formatting is applied to replacements, so there is nothing to clear.
        add.method(QStringLiteral("ClearFormatting"), {}, [](ReplacementObject &, const std::vector<QVariant> &) { return QVariant(); });
        return table;
    }();
    return table;
}

void ReplacementObject::checkAvailable() const
{
    m_handle.check();
}

} // namespace quill
