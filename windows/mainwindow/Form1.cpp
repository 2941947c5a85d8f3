#include "Form1.h"

#include "ErrorTrap.h"
#include "FileHelpers.h"
#include "Form2.h"
#include "LetterGeneration.h"
#include "LetterTemplate.h"
#include "PageSnapshot.h"
#include "Picture.h"
#include "TempFolder.h"
#include "IsInstalled.h"
#include "LetterFields.h"
#include "ListDrop.h"
#include "Product.h"
#include "ProgramEnd.h"
#include "SettingsStore.h"
#include "Theme.h"
#include "Units.h"
#include "WindowLook.h"
#include "WindowParts.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDropEvent>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QLockFile>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

namespace quill {

namespace {

// Client area of the window, twips.
constexpr int kClientWidth = 8040;
constexpr int kClientHeight = 6105;
// A label stands this much lower than its field, and is this high (twips).
constexpr int kLabelDrop = 45;
constexpr int kLabelHeight = 225;
// Label columns (twips): left column, and just left of the State and Zip Code fields.
constexpr int kLabelLeft = 240;
constexpr int kStateLabelLeft = 4440;
constexpr int kZipLabelLeft = 5760;
constexpr int kStateFieldLeft = 5040;
constexpr int kZipFieldLeft = 6600;
// The longest text a field takes; large enough that nothing typed or pasted is cut.
constexpr int kFieldMaxLength = 1 << 20;

const QString kLoadTag = procedureTag("Form1", "Form_Load");
const QString kResetTag = procedureTag("Form1", "PushButton3_Click");
const QString kSampleTag = procedureTag("Form1", "PushButton4_Click");
const QString kGenerateTag = procedureTag("Form1", "PushButton6_Click");

// The label's left edge and width (twips) for a field at `fieldLeft`.
std::pair<int, int> labelColumn(int fieldLeft)
{
    if (fieldLeft == kStateFieldLeft)
        return {kStateLabelLeft, kStateFieldLeft - kStateLabelLeft};
    if (fieldLeft == kZipFieldLeft)
        return {kZipLabelLeft, kZipFieldLeft - kZipLabelLeft};
    return {kLabelLeft, fieldLeft - kLabelLeft};
}

} // namespace

Form1::Form1(QWidget *parent)
    : QWidget(parent)
    , m_pointer(this)
    , m_pointerRule(this, m_pointer)
{
    setWindowTitle(QStringLiteral("Form1"));
    setFont(windowFont());
    setFixedSize(twipsToWholePixels(kClientWidth), twipsToWholePixels(kClientHeight));
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Qt::white);
    setPalette(palette);
    setAutoFillBackground(true);
    setStyleSheet(kFrameStyleSheet);

    buildButtons();
    buildFields();
    setTabOrder();

    setMouseTracking(true);
    installEventFilter(this);
    setAcceptDrops(true);
    move(screen()->availableGeometry().center() - rect().center());
}

Form1::~Form1() = default;

void Form1::buildButtons()
{
    makeButtons(this, m_pointerRule, {
        {&PushButton6, "Start Creating Template", this, twipsRect(120, 120, 7800, 405), &Form1::PushButton6_Click},
        {&PushButton3, "Clear/Reset Data", this, twipsRect(120, 630, 3840, 405), &Form1::PushButton3_Click},
        {&PushButton4, "Load Sample/Example Data", this, twipsRect(4080, 630, 3840, 405), &Form1::PushButton4_Click},
    });

    Frame1 = new QGroupBox(QStringLiteral("Your Data"), this);
    Frame1->setGeometry(twipsRect(120, 1110, 7800, 2175));
    Frame2 = new QGroupBox(QStringLiteral("Recipient Data"), this);
    Frame2->setGeometry(twipsRect(120, 3360, 7800, 2625));
    for (QGroupBox *frame : {Frame1, Frame2}) {
        frame->setMouseTracking(true);
        frame->installEventFilter(this);
        m_pointerRule.addFrame(frame);
    }
}

void Form1::buildFields()
{
    int labelCount = 0;
    for (const LetterField &recipe : kLetterFields) {
        QWidget *container = recipe.group == FieldGroup::YourData        ? static_cast<QWidget *>(Frame1)
                             : recipe.group == FieldGroup::RecipientData ? static_cast<QWidget *>(Frame2)
                                                                       : this;
        if (recipe.group != FieldGroup::Window) {
            // Labels first, so the fields lie above them where a long caption reaches the field.
            const auto [labelLeft, labelWidth] = labelColumn(recipe.left);
            auto *label = new QLabel(QString::fromLatin1(recipe.label), container);
            label->setFont(font());
            const QRect area = twipsRect(labelLeft, recipe.top + kLabelDrop, labelWidth, kLabelHeight);
            label->setGeometry(area.adjusted(0, 0, qMax(0, label->sizeHint().width() - area.width()), 0));
            label->setMouseTracking(true);
            label->installEventFilter(this);
            Label2[labelCount++] = label;
        }

        auto *edit = new QLineEdit(container);
        edit->setFont(font());
        edit->setObjectName(QStringLiteral("Text1_%1").arg(recipe.index));
        edit->setProperty("tag", QString::fromLatin1(recipe.tag));
        edit->setMaxLength(kFieldMaxLength);
        edit->setGeometry(twipsRect(recipe.left, recipe.top, recipe.width, recipe.height));
        edit->setMouseTracking(true);
        edit->installEventFilter(this);
        const int index = recipe.index;
        connect(edit, &QLineEdit::textChanged, this, [this, index] { Text1_Change(index); });
        Text1[index] = edit;
    }
}

void Form1::setTabOrder()
{
    // Fields in their tab order, then the buttons, then the unseen date field.
    QList<QWidget *> chain;
    for (const LetterField &recipe : kLetterFields) {
        if (recipe.index != kDateField)
            chain << Text1[recipe.index];
    }
    chain << PushButton6 << PushButton3 << PushButton4 << Text1[kDateField];
    chainTabOrder(chain);
}

void Form1::Form_Load()
{
    ErrorTrap trap(kLoadTag);
    trap.run(100, [&] { applyThemeToMainWindow(this, SkinFramework1, QCoreApplication::applicationDirPath()); });
    trap.run(104, [&] { setWindowTitle(kProductName); });
    trap.run(104, [&] { setWindowIcon(QIcon(QStringLiteral(":/icons/quillfern.png"))); });
    trap.run(104, [&] { setApplicationTitle(shortenedTitle(kProductName)); });
    loadHandPointer(trap, 122, 124, m_pointer);
    for (int n = 0; n < kTypedFieldCount; ++n) {
        trap.run(130, [&] {
            Text1[n]->setText(SettingsStore::read(kSettingsApplication, kProductName, fieldSettingsKey(n)));
        });
    }
    trap.run(134, [] { IsInstalled::CheckWordInstalled(); });
}

void Form1::PushButton3_Click()
{
    ErrorTrap trap(kResetTag);
    for (int n = 0; n < kTypedFieldCount; ++n)
        trap.run(102, [&] { Text1[n]->setText(QString()); });
}

void Form1::PushButton4_Click()
{
    ErrorTrap trap(kSampleTag);
    for (const SampleValue &sample : kSampleValues)
        trap.run(sample.line, [&] { Text1[sample.index]->setText(QString::fromUtf8(sample.value)); });
}

void Form1::PushButton6_Click()
{
    ErrorTrap trap(kGenerateTag);
    if (mGenerating)
        return;
    trap.run(102, [&] { mGenerating = true; });
    trap.run(104, [&] { m_pointer.setValue(WindowPointer::Hourglass); });

    QString folder;
    QByteArray templateBytes;
    AutoObject word;
    AutoObject document;
    QString templatePath;
    QString resultPath;
    std::unique_ptr<QLockFile> workFiles;
    // Until the filled letter is saved, a failed step leaves nothing for the later steps to work on:
    // it is reported once, the instance is quit and the work file removed, and no preview is shown.
    const bool saved = [&] {
        if (!trap.run(106, [&] {
                folder = temporaryFolder();
                // Another instance shares T's work files: one generation at a time.
                workFiles = claimWorkFiles(folder);
                templateBytes = quill::templateBytes();
            }))
            return false;
        templatePath = joinPath(folder, kTemplateWorkFile);
        if (!trap.run(108, [&] {
                refuseLinkedWorkFile(templatePath);
                if (!FileExists(templatePath))
                    WriteBytesIfAbsent(templateBytes, templatePath);
            }))
            return false;
        if (!trap.run(110, [&] { word = CreateObject(QStringLiteral("Word.Application")); }))
            return false;
        if (!trap.run(114, [&] {
                document = word.object(QStringLiteral("Documents"))
                               .callObject(QStringLiteral("Open"), {Arg(templatePath), Arg(QStringLiteral("ReadOnly"), true)});
            }))
            return false;
        trap.run(116, [&] { Text1[kDateField]->setText(currentDateText()); });

        std::vector<FieldReplacement> fields;
        for (int index = 0; index < kFieldCount; ++index)
            fields.push_back({Text1[index]->property("tag").toString(), Text1[index]->text()});
        replaceInStories(trap, document, fields);
        replaceInShapes(trap, document, fields);

        resultPath = drawResultDocumentPath(trap, folder);
        return trap.run(184, [&] { document.call(QStringLiteral("SaveAs"), {Arg(resultPath)}); });
    }();

    if (!word.isNothing()) {
        trap.run(186, [&] { word.set(QStringLiteral("DisplayAlerts"), false); });
        if (!document.isNothing())
            trap.run(188, [&] { document.call(QStringLiteral("Close")); });
        trap.run(190, [&] { word.call(QStringLiteral("Quit")); });
    }
    document.release();
    word.release();
    if (!templatePath.isEmpty())
        DeleteFileQuietly(templatePath);

    if (saved) {
        const QString snapshotPath = joinPath(folder, kSnapshotWorkFile);
        bool snapshotWritten = false;
        trap.run(198, [&] { snapshotWritten = SaveDocAsJPG(resultPath); });
        trap.run(200, [&] {
            // Without a snapshot the canvas must not go on showing the previous letter. A snapshot
            // that failed was reported where it failed: the preview comes up with an empty canvas.
            preview().setPicture(Picture());
            if (snapshotWritten)
                preview().setPicture(Picture::load(snapshotPath));
        });
        DeleteFileQuietly(snapshotPath);
        // T's work files and the clipboard are done with: the claim does not wait on the preview.
        workFiles.reset();
        trap.run(202, [&] { m_pointer.setValue(WindowPointer::Default); });
        trap.run(204, [&] { preview().mWordFile = resultPath; });
        trap.run(206, [&] { preview().show(); });
        trap.run(208, [&] { hide(); });
    } else {
        m_pointer.setValue(WindowPointer::Default);
    }
    mGenerating = false;
}

bool Form1::SaveDocAsJPG(const QString &path)
{
    return quill::SaveDocAsJPG(path, joinPath(temporaryFolder(), kSnapshotWorkFile));
}

Form2 &Form1::preview()
{
    if (!m_preview) {
        m_preview = std::make_unique<Form2>();
        m_preview->setMainWindow(this);
        m_preview->Form_Load();
    }
    return *m_preview;
}

void Form1::Text1_Change(int index)
{
    // The store follows every change at once; a store that refuses the write loses only this value.
    SettingsStore::write(kSettingsApplication, kProductName, fieldSettingsKey(index), Text1[index]->text());
}

void Form1::Text1_GotFocus(int index)
{
    QLineEdit *edit = Text1[index];
    edit->setSelection(0, edit->text().size());
}

bool Form1::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusIn) {
        for (int index = 0; index < kFieldCount; ++index) {
            if (watched == Text1[index]) {
                Text1_GotFocus(index);
                // A mouse press places the cursor after the focus arrives: select again once it has.
                if (static_cast<QFocusEvent *>(event)->reason() == Qt::MouseFocusReason)
                    QTimer::singleShot(0, Text1[index], [this, index] { Text1_GotFocus(index); });
            }
        }
        return false;
    }
    return m_pointerRule.filter(watched, event);
}

void Form1::dragEnterEvent(QDragEnterEvent *event)
{
    if (!droppedRecipientList(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void Form1::dropEvent(QDropEvent *event)
{
    const QString list = droppedRecipientList(event->mimeData());
    if (list.isEmpty())
        return;
    event->acceptProposedAction();
    // The merge asks and shows its progress once the drop itself has finished.
    QTimer::singleShot(0, this, [this, list] { mergeDroppedList(this, list); });
}

void Form1::closeEvent(QCloseEvent *event)
{
    event->accept();
    endProgram();
}

} // namespace quill
