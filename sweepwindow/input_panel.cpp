// SPDX-License-Identifier: MIT
#include "input_panel.h"

#include "chain_editor.h"
#include "plot/drawing.h"
#include "sweep_window_layout.h"
#include "touchstone/touchstone.h"

#include <QComboBox>
#include <QDropEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <exception>
#include <functional>

namespace corvalen::sweepwindow {
namespace {

QString Text(const std::string& utf8)
{
    return QString::fromStdString(utf8);
}

// "50 ohms" where every port has it, else "ports 50 / 75 ohms".
QString OhmsText(const std::vector<double>& portOhms)
{
    QStringList each;
    for (const double ohms : portOhms)
        each << Text(touchstone::FrequencyText(ohms));  // the shortest form, as for hertz
    if (std::adjacent_find(portOhms.begin(), portOhms.end(), std::not_equal_to<>()) == portOhms.end())
        return each.value(0) + QStringLiteral(" ohms");
    return QStringLiteral("ports ") + each.join(QStringLiteral(" / ")) + QStringLiteral(" ohms");
}

QString Described(const std::optional<Extent>& extent, const char* otherwise)
{
    if (!extent)
        return QString::fromUtf8(otherwise);
    return QStringLiteral("%1 %2, %3 to %4, %5")
        .arg(extent->points)
        .arg(extent->points == 1 ? QStringLiteral("point") : QStringLiteral("points"),
             plot::FrequencyText(extent->firstHz), plot::FrequencyText(extent->lastHz), OhmsText(extent->portOhms));
}

std::size_t SideIndex(InputField field)
{
    return field == InputField::Source ? 0 : field == InputField::Load ? 1 : 2;
}

}  // namespace

InputPanel::InputPanel(const InputTexts& texts, QWidget* parent)
    : QWidget(parent)
{
    auto* gridLayout = new QGridLayout;
    grid_ = std::make_unique<InputGrid>(gridLayout);
    const QString sideForm = QStringLiteral("a file (%1) or a value: 1.5, vswr=1.5, rl=23, gamma=0.07");
    sides_[0] = MakeSide(InputField::Source, QStringLiteral("&Source"), sideForm.arg(QStringLiteral("amp.s2p:S22")),
                         GridSection::Source);
    chain_ = new ChainEditor(this, *grid_, recent_);
    sides_[1] = MakeSide(InputField::Load, QStringLiteral("&Load"), sideForm.arg(QStringLiteral("sensor.s1p")),
                         GridSection::Load);
    sides_[2] = MakeSide(InputField::Z0, QStringLiteral("Z&0 (ohms)"), QStringLiteral("50"), GridSection::Z0);
    band_ = new BandEditor(this, *grid_);
    failure_ = new QLabel(this);
    failure_->setWordWrap(true);
    failure_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    failure_->setStyleSheet(QStringLiteral("color: #d02020"));
    failure_->hide();
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->addLayout(gridLayout);
    column->addWidget(failure_);

    sides_[0].edit->setText(Text(texts.source));
    for (const TwoPortText& twoPort : texts.chain)
        chain_->Append(twoPort);
    if (chain_->Count() == 0)
        chain_->Append();
    sides_[1].edit->setText(Text(texts.load));
    sides_[2].edit->setText(Text(texts.z0Ohms));
    for (const Side& side : sides_)
        connect(side.edit, &QLineEdit::textChanged, this, &InputPanel::Edited);
    connect(chain_, &ChainEditor::Edited, this, &InputPanel::Edited);
}

InputPanel::Side InputPanel::MakeSide(InputField field, const QString& label, const QString& placeholder,
                                      GridSection section)
{
    Side side{new QLineEdit(this), new InputNote(this), nullptr};
    side.edit->setPlaceholderText(placeholder);
    side.edit->setMinimumWidth(layout::Scaled(this, layout::kInputMinimumWidth));
    side.edit->installEventFilter(this);
    auto* name = new QLabel(label + QLatin1Char(':'), this);
    name->setBuddy(side.edit);
    side.edit->setAccessibleName(name->text().remove(QLatin1Char('&')).chopped(1));
    side.edit->setObjectName(side.edit->accessibleName().section(QLatin1Char(' '), 0, 0).toLower() + QStringLiteral("Input"));
    auto* holder = new QHBoxLayout;
    holder->addWidget(side.edit, 1);
    QWidget* open = nullptr;
    if (field != InputField::Z0) {
        side.chooser = new QComboBox(this);
        side.chooser->setObjectName(side.edit->accessibleName().toLower() + QStringLiteral("Chooser"));
        side.chooser->setAccessibleName(side.edit->accessibleName() + QStringLiteral(" reflection"));
        side.chooser->setPlaceholderText(QStringLiteral("reflection"));
        side.chooser->hide();
        holder->addWidget(side.chooser);
        connect(side.edit, &QLineEdit::textChanged, this, [this, side] { UpdateChooser(side); });
        connect(side.chooser, &QComboBox::activated, this, [side] {
            const auto split = touchstone::SplitFileChoice(side.edit->text().trimmed().toStdString());
            side.edit->setText(Text(split.path) + QLatin1Char(':') + side.chooser->currentText());
        });
        open = OpenButton(this, side.edit, recent_);
    }
    grid_->SetLines(section, {{name, holder, open, side.note}});
    return side;
}

void InputPanel::UpdateChooser(const Side& side)
{
    const auto [path, choice] = touchstone::SplitFileChoice(side.edit->text().trimmed().toStdString());
    std::vector<std::string> names;
    if (!path.empty() && QFileInfo(Text(path)).isFile()) {
        try {
            names = touchstone::ReflectionChoices(path);
        } catch (const std::exception&) {
            // The file's fault shows under the input once it is read; nothing
            // thrown here may reach the event loop, which would end the program.
        }
    }
    const QSignalBlocker quiet(side.chooser);
    side.chooser->clear();
    for (const std::string& name : names)
        side.chooser->addItem(Text(name));
    side.chooser->setCurrentIndex(choice.empty() ? -1 : side.chooser->findText(Text(choice), Qt::MatchFixedString));
    side.chooser->setVisible(names.size() > 1);
}

const InputPanel::Side& InputPanel::SideOf(InputField field) const
{
    return sides_[SideIndex(field)];
}

InputTexts InputPanel::Texts() const
{
    const auto text = [this](InputField field) { return SideOf(field).edit->text().trimmed().toStdString(); };
    return {text(InputField::Source), chain_->Texts(), text(InputField::Load), text(InputField::Z0)};
}

QString InputPanel::FieldText(InputField field, std::size_t element) const
{
    return field == InputField::TwoPort ? chain_->Text(element) : SideOf(field).edit->text();
}

void InputPanel::SetFieldText(InputField field, const QString& text, std::size_t element)
{
    if (field == InputField::TwoPort)
        chain_->SetText(element, text);
    else
        SideOf(field).edit->setText(text);
}

void InputPanel::SetReversed(std::size_t element, bool reversed)
{
    chain_->SetReversed(element, reversed);
}

void InputPanel::AddTwoPort(const TwoPortText& text)
{
    chain_->Append(text);
}

BandTexts InputPanel::Band() const
{
    return band_->Texts();
}

void InputPanel::SetBand(const BandTexts& texts)
{
    band_->SetTexts(texts);
}

QString InputPanel::Note(InputField field, std::size_t element) const
{
    return field == InputField::TwoPort ? chain_->Note(element) : SideOf(field).note->text();
}

void InputPanel::SetNote(InputField field, std::size_t element, const QString& message, NoteKind kind)
{
    if (field == InputField::TwoPort)
        chain_->SetNote(element, message, kind);
    else
        SideOf(field).note->Say(SideOf(field).edit->text(), message, kind);
}

void InputPanel::ShowProblems(const std::vector<InputProblem>& problems)
{
    for (const Side& side : sides_)
        if (side.note->SpeaksOf() != side.edit->text())
            side.note->Say(side.edit->text(), {});
    for (std::size_t i = 0; i < chain_->Count(); ++i)
        if (chain_->NoteSpeaksOf(i) != chain_->Text(i))
            chain_->SetNote(i, {}, NoteKind::Plain);
    for (const InputProblem& problem : problems) {
        const QString message = Text(problem.message);
        SetNote(problem.field, problem.element, message, message.isEmpty() ? NoteKind::Plain : NoteKind::Fault);
    }
}

void InputPanel::ShowRead(const ReadTexts& read, const ReadOutcome* outcome)
{
    const auto show = [this](InputField field, std::size_t element, const InputRead* input, const char* otherwise) {
        if (input && !input->failure.empty())
            SetNote(field, element, Text(input->failure), NoteKind::Fault);
        else
            SetNote(field, element, Described(input ? input->extent : std::nullopt, otherwise), NoteKind::Plain);
    };
    // Z0 and the empty two-port inputs say nothing; the others say what they hold.
    SetNote(InputField::Z0, 0, {}, NoteKind::Plain);
    for (std::size_t i = 0; i < chain_->Count(); ++i)
        chain_->SetNote(i, {}, NoteKind::Plain);
    show(InputField::Source, 0, outcome ? &outcome->source : nullptr, "fixed, phase unknown");
    show(InputField::Load, 0, outcome ? &outcome->load : nullptr, "fixed, phase unknown");
    for (std::size_t i = 0; i < read.chainTexts.size() && read.chainTexts[i] < chain_->Count(); ++i)
        show(InputField::TwoPort, read.chainTexts[i], outcome ? &outcome->chain[i] : nullptr, "a pad, phases unknown");
}

void InputPanel::SayFailure(const QString& message)
{
    failure_->setText(message);
    failure_->setAccessibleName(message);
    failure_->setVisible(!message.isEmpty());
}

QString InputPanel::Failure() const
{
    return failure_->text();
}

void InputPanel::TakeDroppedFiles(const QStringList& paths)
{
    if (paths.size() >= 2) {
        SideOf(InputField::Source).edit->setText(paths[0]);
        SideOf(InputField::Load).edit->setText(paths[1]);
    } else if (paths.size() == 1) {
        const bool loadIsFile = QFileInfo::exists(SideOf(InputField::Load).edit->text());
        SideOf(loadIsFile ? InputField::Source : InputField::Load).edit->setText(paths[0]);
    }
}

// A file dropped on an input replaces what it holds, rather than being typed into it as text.
bool InputPanel::eventFilter(QObject* watched, QEvent* event)
{
    auto* edit = qobject_cast<QLineEdit*>(watched);
    if (edit && (event->type() == QEvent::DragEnter || event->type() == QEvent::Drop)) {
        auto* drop = static_cast<QDropEvent*>(event);
        const QList<QUrl> urls = drop->mimeData()->urls();
        if (urls.isEmpty() || !urls.front().isLocalFile())
            return false;
        drop->acceptProposedAction();
        if (event->type() == QEvent::Drop)
            edit->setText(urls.front().toLocalFile());
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace corvalen::sweepwindow
