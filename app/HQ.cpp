#include "HQ.h"
#include "ClickableLabel.h"
#include "FrameBox.h"
#include "LineListModel.h"
#include "ListBoxView.h"
#include "TolmarinIcon.h"

#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>

namespace {

// Window layout is given in twips; at 96 dots per inch 15 twips make a
// pixel, and Qt scales device-independent pixels for high-DPI screens.
constexpr QRect twips(int left, int top, int width, int height)
{
    return {left / 15, top / 15, width / 15, height / 15};
}

QFont windowFont()
{
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSizeF(8.25);
    font.setBold(true);
    return font;
}

QFont fixedPitchFont()
{
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPointSize(9);
    font.setBold(true);
    return font;
}

void setColours(QWidget* widget, QPalette::ColorRole backgroundRole, const QColor& background,
                QPalette::ColorRole textRole, const QColor& text)
{
    QPalette palette = widget->palette();
    if (background.isValid()) {
        palette.setColor(backgroundRole, background);
        widget->setAutoFillBackground(backgroundRole == QPalette::Window);
    }
    if (text.isValid())
        palette.setColor(textRole, text);
    widget->setPalette(palette);
}

// A flat push button of one solid colour that still shows the focus.
QPushButton* solidButton(QWidget* parent, const QString& caption, const QColor& colour)
{
    auto* button = new QPushButton(caption, parent);
    button->setFocusPolicy(Qt::StrongFocus);
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
    auto* items = new LineListModel(combo);
    combo->setModel(items);
    if (auto* view = qobject_cast<QListView*>(combo->view()))
        view->setUniformItemSizes(true);
    combo->setCurrentIndex(-1);
    setColours(combo, QPalette::Base, QColor(255, 255, 192), QPalette::Text, QColor(0, 128, 0));
    return combo;
}

} // namespace

HQ::HQ(const std::string& dataDirectory, QWidget* parent)
    : QWidget(parent)
{
    setWindowTitle(QStringLiteral("Tolmarin"));
    setWindowIcon(tolmarinIcon());
    setFont(windowFont());
    setFixedSize(588, 523);
    createControls();

    MLySControl_ = std::make_unique<QtListBox>(MLyS_);
    CLySControl_ = std::make_unique<QtListBox>(CLyS_);
    Label1Control_ = std::make_unique<QtLabel>(Label1_);
    Text1Control_ = std::make_unique<QtComboBox>(Text1_, static_cast<LineListModel*>(Text1_->model()));
    Text2Control_ = std::make_unique<QtComboBox>(Text2_, static_cast<LineListModel*>(Text2_->model()));
    platform_ = std::make_unique<QtPlatform>([this](const QString& message) {
        QMessageBox::critical(this, windowTitle(), message);
    });
    form_ = std::make_unique<entry::HQForm>(
        entry::HQControls{*MLySControl_, *CLySControl_, *Label1Control_, *Text1Control_, *Text2Control_,
                          *platform_},
        dataDirectory);
    bindEvents();
}

HQ::~HQ() = default;

void HQ::load() { form_->Form_Load(); }

void HQ::setErrorReporter(QtPlatform::ErrorReporter report) { platform_->setErrorReporter(std::move(report)); }

void HQ::createControls()
{
    const QFont fixed = fixedPitchFont();
    const QColor headerBackground(0, 128, 0);
    const QColor headerText(0, 255, 0);

    // The header labels lie on the window background under everything else.
    const std::array<const char*, 3> headers = {"DATE", "BRANCH", "REASON"};
    const std::array<QRect, 3> headerRects = {twips(60, 60, 1275, 240), twips(1440, 60, 1695, 240),
                                              twips(3240, 60, 5265, 240)};
    for (int i = 0; i < 3; ++i) {
        LaB_[i] = new QLabel(QString::fromLatin1(headers[i]), this);
        LaB_[i]->setObjectName(QStringLiteral("LaB(%1)").arg(i));
        LaB_[i]->setGeometry(headerRects[i]);
        LaB_[i]->setFont(fixed);
        LaB_[i]->setAccessibleName(LaB_[i]->text());
        setColours(LaB_[i], QPalette::Window, headerBackground, QPalette::WindowText, headerText);
    }

    MLyS_ = new ListBoxView(this);
    MLyS_->setObjectName(QStringLiteral("MLyS"));
    MLyS_->setGeometry(twips(60, 300, 8715, 6510));
    MLyS_->setFont(fixed);
    MLyS_->setAccessibleName(QStringLiteral("Entries"));
    setColours(MLyS_, QPalette::Base, QColor(), QPalette::Text, QColor(0, 128, 0));

    CLyS_ = new ListBoxView(this);
    CLyS_->setObjectName(QStringLiteral("CLyS"));
    CLyS_->setGeometry(twips(4320, 840, 1695, 5715));
    CLyS_->setAccessibleName(QStringLiteral("Date picker"));
    setColours(CLyS_, QPalette::Base, QColor(192, 192, 255), QPalette::Text, QColor(0, 0, 255));
    CLyS_->hide();

    Frame1_ = new FrameBox(QStringLiteral("Add"), this);
    Frame1_->setObjectName(QStringLiteral("Frame1"));
    Frame1_->setGeometry(twips(0, 6840, 8775, 675));
    Frame1_->setAccessibleName(QStringLiteral("Add"));
    setColours(Frame1_, QPalette::Window, QColor(128, 64, 0), QPalette::WindowText, QColor(255, 255, 0));
    Frame1_->setAutoFillBackground(false); // it paints itself


    Label1_ = new ClickableLabel(QStringLiteral("DATE"), Frame1_);
    Label1_->setObjectName(QStringLiteral("Label1"));
    Label1_->setGeometry(twips(30, 240, 1320, 300));
    Label1_->setFont(fixed);
    Label1_->setAccessibleName(QStringLiteral("Date"));
    setColours(Label1_, QPalette::Window, QColor(), QPalette::WindowText, QColor(0, 255, 255));

    Text1_ = editableCombo(Frame1_);
    Text1_->setObjectName(QStringLiteral("Text1"));
    Text1_->setGeometry(twips(1440, 240, 1815, 315));
    Text1_->setAccessibleName(QStringLiteral("Branch"));

    Text2_ = editableCombo(Frame1_);
    Text2_->setObjectName(QStringLiteral("Text2"));
    Text2_->setGeometry(twips(3240, 240, 5475, 315));
    Text2_->setAccessibleName(QStringLiteral("Reason"));

    const std::array<QRect, 2> barRects = {twips(1320, 60, 135, 7455), twips(3120, 60, 135, 7455)};
    for (int i = 0; i < 2; ++i) {
        BaRc_[i] = solidButton(this, QString(), QColor(0, 128, 128));
        BaRc_[i]->setObjectName(QStringLiteral("BaRc(%1)").arg(i));
        BaRc_[i]->setGeometry(barRects[i]);
        BaRc_[i]->setAccessibleName(QStringLiteral("Column bar %1").arg(i + 1));
    }

    Command1_ = solidButton(this, QStringLiteral("Save"), QColor(147, 208, 221));
    Command1_->setObjectName(QStringLiteral("Command1"));
    Command1_->setGeometry(twips(6300, 7560, 915, 255));
    Command1_->setAccessibleName(QStringLiteral("Save"));

    // Tab order by tab index; the labels and the frame take no focus.
    setTabOrder(MLyS_, BaRc_[0]);
    setTabOrder(BaRc_[0], BaRc_[1]);
    setTabOrder(BaRc_[1], CLyS_);
    setTabOrder(CLyS_, Command1_);
    setTabOrder(Command1_, Text1_);
    setTabOrder(Text1_, Text2_);
}

void HQ::bindEvents()
{
    connect(Label1_, &ClickableLabel::clicked, this, [this] {
        form_->Label1_Click();
        CLyS_->setFocus(Qt::OtherFocusReason); // so the arrow keys pick at once
    });
    connect(CLyS_, &ListBoxView::userSelected, this, [this] {
        const bool hadFocus = CLyS_->hasFocus();
        form_->CLyS_Click();
        if (hadFocus && CLyS_->isHidden())
            Text1_->setFocus(Qt::OtherFocusReason); // the branch comes next
    });
    connect(Command1_, &QPushButton::clicked, this, [this] { form_->Command1_Click(); });
    Text1_->installEventFilter(this);
    Text2_->installEventFilter(this);
}

bool HQ::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusOut && (watched == Text1_ || watched == Text2_)) {
        auto* combo = static_cast<QComboBox*>(watched);
        // Opening the combo's own drop-down list, or leaving the window for
        // another program, does not leave the field.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        const QWidget* next = QApplication::focusWidget();
        const bool intoOwnList = next && next->window() == combo->view()->window();
        if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason && !intoOwnList) {
            if (combo == Text1_)
                form_->Text1_LostFocus();
            else
                form_->Text2_LostFocus();
        }
    }
    return QWidget::eventFilter(watched, event);
}
