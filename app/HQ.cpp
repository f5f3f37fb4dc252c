#include "HQ.h"
#include "ClickableLabel.h"
#include "DropDownDelegate.h"
#include "FrameBox.h"
#include "LineListModel.h"
#include "ListBoxView.h"
#include "TolmarinIcon.h"

#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>

namespace qtui {

namespace {

using entry::Control;
using entry::ControlKind;
using entry::ControlSpec;

QString text(std::string_view utf8) { return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())); }

QColor toQColor(const entry::Colour& colour)
{
    return colour ? QColor(colour->red, colour->green, colour->blue) : QColor();
}

QFont toQFont(const entry::FontSpec& design)
{
    QFont font(text(design.face));
    if (design.fixedPitch) {
        // Where the face is missing, another fixed-pitch one keeps the columns.
        font.setStyleHint(QFont::TypeWriter);
        font.setFixedPitch(true);
    }
    font.setPointSizeF(design.centiPoints / 100.0);
    font.setBold(design.bold);
    return font;
}

// The layout is in twips; Qt scales device-independent pixels for high-DPI
// screens, so they are taken at 96 dots per inch.
QRect pixels(const entry::TwipRect& twips)
{
    const entry::PixelRect at = entry::toPixels(twips, 96, 96);
    return {at.left, at.top, at.width, at.height};
}

// A flat push button of one solid colour that still shows the focus. It is
// never the default button: Enter in a field does not press it.
QPushButton* solidButton(const QString& caption, const QColor& colour, QWidget* parent)
{
    auto* button = new QPushButton(caption, parent);
    button->setAutoDefault(false);
    button->setDefault(false);
    button->setStyleSheet(QStringLiteral("QPushButton { background-color: %1; border: 1px solid %2; }"
                                         "QPushButton:focus { border: 1px dotted black; }"
                                         "QPushButton:pressed { border: 2px inset %2; }")
                              .arg(colour.name(), colour.darker(160).name()));
    return button;
}

QComboBox* editableCombo(QWidget* parent)
{
    auto* combo = new QComboBox(parent);
    combo->setEditable(true);
    // The edit text is exactly what the user typed or picked: no inline
    // completion, no item added on Enter, no case-folding to a known item.
    combo->setCompleter(nullptr);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setDuplicatesEnabled(true);
    combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    combo->setModel(new LineListModel(combo));
    combo->setItemDelegate(new DropDownDelegate(combo));
    if (auto* view = qobject_cast<QListView*>(combo->view()))
        view->setUniformItemSizes(true);
    combo->setCurrentIndex(-1);
    return combo;
}

QWidget* createWidget(const ControlSpec& design, QWidget* parent)
{
    const QString caption = text(design.caption);
    switch (design.kind) {
    case ControlKind::ListBox:
        return new ListBoxView(parent);
    case ControlKind::Label:
        return new ClickableLabel(caption, parent);
    case ControlKind::PushButton:
        return solidButton(caption, toQColor(design.background), parent);
    case ControlKind::Frame:
        return new FrameBox(caption, parent);
    case ControlKind::ComboBox:
        return editableCombo(parent);
    }
    return nullptr;
}

void setColours(QWidget* widget, const ControlSpec& design)
{
    // Labels and the frame draw on the window colour, lists and fields on
    // the base colour; a button's colour is in its style sheet.
    const bool onWindow = design.kind == ControlKind::Label || design.kind == ControlKind::Frame;
    QPalette palette = widget->palette();
    if (design.background && design.kind != ControlKind::PushButton)
        palette.setColor(onWindow ? QPalette::Window : QPalette::Base, toQColor(design.background));
    if (design.text)
        palette.setColor(onWindow ? QPalette::WindowText : QPalette::Text, toQColor(design.text));
    widget->setPalette(palette);
    // The frame paints its own fill; a label without a colour shows what
    // lies beneath it.
    widget->setAutoFillBackground(design.kind == ControlKind::Label && design.background);
}

} // namespace

HQ::HQ(const std::string& dataDirectory, logbook::FileSystem& files, QWidget* parent)
    : QWidget(parent)
{
    setWindowTitle(text(entry::kWindowCaption));
    setWindowIcon(tolmarinIcon());
    setFont(toQFont(entry::kWindowFont));
    setFixedSize(pixels({0, 0, entry::kClientWidthTwips, entry::kClientHeightTwips}).size());
    createControls();

    auto* Text1 = control<QComboBox>(Control::Text1);
    auto* Text2 = control<QComboBox>(Control::Text2);
    MLyS_ = std::make_unique<QtListBox>(control<ListBoxView>(Control::MLyS));
    CLyS_ = std::make_unique<QtListBox>(control<ListBoxView>(Control::CLyS));
    Label1_ = std::make_unique<QtLabel>(control<ClickableLabel>(Control::Label1));
    Text1_ = std::make_unique<QtComboBox>(Text1, static_cast<LineListModel*>(Text1->model()));
    Text2_ = std::make_unique<QtComboBox>(Text2, static_cast<LineListModel*>(Text2->model()));
    platform_ = std::make_unique<QtPlatform>([this](const QString& message) {
        QMessageBox::critical(this, windowTitle(), message);
    });
    form_ = std::make_unique<entry::HQForm>(entry::HQControls{*MLyS_, *CLyS_, *Label1_, *Text1_, *Text2_, *platform_},
                                            dataDirectory, files);
    guard_ = std::make_unique<entry::HandlerGuard>(*platform_);
    bindEvents();
}

HQ::~HQ() = default;

void HQ::load() { form_->Form_Load(); }

void HQ::setErrorReporter(QtPlatform::ErrorReporter report) { platform_->setErrorReporter(std::move(report)); }

void HQ::createControls()
{
    const QFont fixedPitch = toQFont(entry::kFixedPitchFont);
    for (std::size_t i = 0; i < entry::kControlCount; ++i) {
        const ControlSpec& design = entry::kControls[i];
        QWidget* parent = design.inFrame ? control<QWidget>(Control::Frame1) : this;
        QWidget* widget = createWidget(design, parent);
        controls_[i] = widget;
        widget->setObjectName(text(design.name));
        widget->setGeometry(pixels(design.twips));
        widget->setAccessibleName(text(design.accessibleName));
        if (design.font == entry::ControlFont::FixedPitch)
            widget->setFont(fixedPitch);
        setColours(widget, design);
        const auto focus = Qt::FocusPolicy(widget->focusPolicy() | Qt::StrongFocus);
        widget->setFocusPolicy(design.takesFocus ? focus : Qt::NoFocus);
        widget->setVisible(design.shownAtStart);
    }
    // Raised from the bottom up, so the first in the order ends on top.
    for (auto it = entry::kStackingOrder.rbegin(); it != entry::kStackingOrder.rend(); ++it)
        control<QWidget>(*it)->raise();

    QWidget* previous = nullptr;
    for (Control id : entry::kTabOrder) {
        if (!entry::design(id).takesFocus)
            continue;
        if (previous)
            setTabOrder(previous, control<QWidget>(id));
        previous = control<QWidget>(id);
    }
}

void HQ::bindEvents()
{
    auto* CLyS = control<ListBoxView>(Control::CLyS);
    connect(control<ClickableLabel>(Control::Label1), &ClickableLabel::clicked, this, [this, CLyS] {
        if (guarded(&entry::HQForm::Label1_Click))
            CLyS->setFocus(Qt::OtherFocusReason); // so the arrow keys pick at once
    });
    connect(CLyS, &ListBoxView::userSelected, this, [this] { guarded(&entry::HQForm::CLyS_Click); });
    connect(control<QPushButton>(Control::Command1), &QPushButton::clicked, this,
            [this] { guarded(&entry::HQForm::Command1_Click); });
    control<QWidget>(Control::Text1)->installEventFilter(this);
    control<QWidget>(Control::Text2)->installEventFilter(this);
}

bool HQ::guarded(void (entry::HQForm::*handler)())
{
    if (platform_->waiting()) // a Save waiting for a lock repaints, but runs nothing else
        return false;
    if (guard_->run([&] { (form_.get()->*handler)(); }))
        return true;
    // Qt cannot carry an exception through its event loop; the failure has
    // been shown, and the program ends with status 1.
    hide();
    QCoreApplication::exit(1);
    return false;
}

bool HQ::eventFilter(QObject* watched, QEvent* event)
{
    auto* Text1 = control<QComboBox>(Control::Text1);
    auto* Text2 = control<QComboBox>(Control::Text2);
    if (event->type() == QEvent::FocusOut && (watched == Text1 || watched == Text2)) {
        auto* combo = static_cast<QComboBox*>(watched);
        // Opening the combo's own drop-down list, or leaving the window for
        // another program, does not leave the field.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        const QWidget* next = QApplication::focusWidget();
        const bool intoOwnList = next && next->window() == combo->view()->window();
        if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason && !intoOwnList) {
            guarded(combo == Text1 ? &entry::HQForm::Text1_LostFocus : &entry::HQForm::Text2_LostFocus);
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace qtui
