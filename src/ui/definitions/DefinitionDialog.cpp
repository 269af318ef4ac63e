#include "ui/definitions/DefinitionDialog.h"

#include "base/Messages.h"
#include "ui/controls/SpinButtons.h"
#include "ui/help/ContextIDs.h"

#include <QBoxLayout>
#include <QFontMetrics>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>

DefinitionDialog::DefinitionDialog(const QString& objectName, const QString& title, int helpContext,
                                   QWidget* parent)
    : QDialog(parent), m_helpContext(helpContext) {
    setObjectName(objectName);
    setWindowTitle(title);
    setModal(true);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
}

QGroupBox* DefinitionDialog::MakeFrame(const QString& caption,
                                       std::initializer_list<QWidget*> widgets) {
    auto* frame = new QGroupBox(caption, this);
    auto* row = new QHBoxLayout(frame);
    for (QWidget* w : widgets)
        row->addWidget(w);
    return frame;
}

QGroupBox* DefinitionDialog::MakeSpinFrame(const QString& caption, const QString& labelName,
                                           QLabel*& label, const QString& spinName,
                                           SpinButtons*& spin) {
    label = new QLabel(QStringLiteral("00:00"), this);
    label->setObjectName(labelName);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setAlignment(Qt::AlignCenter);
    // Wide enough for the longest time text ("12:00 pm") without clipping.
    label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QStringLiteral("00:00 pm")) + 16);
    label->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    spin = new SpinButtons(Qt::Vertical, this);
    spin->setObjectName(spinName);
    spin->SetToolTips(tr("Increase"), tr("Decrease"));
    QGroupBox* frame = MakeFrame(caption, {label, spin});
    static_cast<QHBoxLayout*>(frame->layout())->setStretch(0, 1);
    return frame;
}

QLineEdit* DefinitionDialog::MakeTextBox(const QString& name) {
    auto* box = new QLineEdit(this);
    box->setObjectName(name);
    box->setMinimumWidth(box->fontMetrics().averageCharWidth() * 32);
    return box;
}

std::array<QPushButton*, 3> DefinitionDialog::MakeButtons(const QString& arrayName,
                                                          const std::array<QString, 3>& captions,
                                                          std::function<void(int)> handler) {
    std::array<QPushButton*, 3> buttons{};
    for (int i = 0; i < 3; ++i) {
        auto* button = new QPushButton(captions[std::size_t(i)], this);
        button->setObjectName(arrayName + QString::number(i));
        connect(button, &QPushButton::clicked, this, [handler, i] { handler(i); });
        buttons[std::size_t(i)] = button;
    }
    buttons[0]->setDefault(true);
    return buttons;
}

void DefinitionDialog::SetContent(QBoxLayout* frames, const std::array<QPushButton*, 3>& buttons) {
    auto* column = new QVBoxLayout;
    for (QPushButton* button : buttons)
        column->addWidget(button);
    column->addStretch(1);
    auto* main = new QHBoxLayout(this);
    main->addLayout(frames, 1);
    main->addLayout(column);
    main->setSizeConstraint(QLayout::SetMinimumSize);
}

void DefinitionDialog::OnGotFocus(QLineEdit* field, std::function<void()> handler) {
    m_focusHandlers.insert(field, std::move(handler));
    field->installEventFilter(this);
}

void DefinitionDialog::CloseIfSaved(SaveProblem problem, const QString& record) {
    switch (problem) {
    case SaveProblem::None:
        accept();
        break;
    case SaveProblem::Changed:
        Messages::Warning(QStringLiteral("This %1 was changed at another workstation.\nNothing was "
                                         "saved. Press Save again to replace their change with "
                                         "what this window shows, or Cancel to keep their change.")
                              .arg(record));
        break;
    case SaveProblem::Deleted:
        Messages::Warning(QStringLiteral("This %1 was deleted at another workstation.\nNothing was "
                                         "saved. Press Save again to save what this window shows "
                                         "as a new %1, or Cancel.")
                              .arg(record));
        break;
    default:
        Messages::Warning(QStringLiteral("Unable to save ") + record + QLatin1Char('!'));
        break;
    }
}

void DefinitionDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous())
        Form_Load();
}

void DefinitionDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F1 && event->modifiers() == Qt::NoModifier) {
        ContextIDs::ShowHelp(m_helpContext);
        return;
    }
    QDialog::keyPressEvent(event);
}

bool DefinitionDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn) {
        const auto it = m_focusHandlers.constFind(watched);
        if (it != m_focusHandlers.constEnd()) {
            // Let the text box take the focus (and place its cursor) first, so
            // that the selection made by the handler is the one that stays.
            watched->event(event);
            it.value()();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
