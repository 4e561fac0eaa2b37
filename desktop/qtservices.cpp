// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/qtservices.h"

#include "desktop/soundidentity.h"
#include "desktop/x11hints.h"

#include <QAbstractButton>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGuiApplication>
#include <QLabel>
#include <QLayout>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>
#include <QWidget>

namespace desktop {

QDateTime QtClock::now() const
{
    return QDateTime::currentDateTime();
}

namespace {

// Height of the screen kept for the title bar and borders that a window
// manager adds, which the box cannot know before it is shown.
constexpr int windowManagerRoom = 48;

// Qt's message box, as tall as its text needs, unless that is taller than
// the screen: then the text scrolls inside a box that fits.
class FittingMessageBox : public QMessageBox
{
public:
    using QMessageBox::QMessageBox;

protected:
    void showEvent(QShowEvent *event) override
    {
        // Qt sizes the box here, before it is on the screen.
        QMessageBox::showEvent(event);
        const int room = screen()->availableGeometry().height() - windowManagerRoom;
        if (m_scrolls || height() <= room)
            return;
        auto *label = findChild<QLabel *>(QStringLiteral("qt_msgbox_label"));
        if (!label) // a Qt whose box is made otherwise: it stays as Qt makes it
            return;
        m_scrolls = true;
        layout()->setGeometry(rect());
        const int aroundTheText = height() - label->height();

        // The same text in the label's place, read-only, on the box's own
        // background, broken between words or anywhere a word is too long.
        auto *text = new QPlainTextEdit(this);
        text->setObjectName(QStringLiteral("scrolledText"));
        text->setReadOnly(true);
        // Read with the keyboard too, a line at a time, as screen readers do.
        text->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        text->setFrameShape(QFrame::NoFrame);
        text->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        text->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        text->document()->setDocumentMargin(0);
        QPalette palette = text->palette();
        palette.setColor(QPalette::Base, palette.color(QPalette::Window));
        text->setPalette(palette);
        text->setPlainText(label->text());
        text->setMinimumSize(label->width(), room - aroundTheText);
        delete layout()->replaceWidget(label, text); // the item that held the label
        label->hide();
        setFixedSize(width(), room);
        adjustPosition(parentWidget());
    }

private:
    bool m_scrolls = false;
};

} // namespace

std::optional<QPoint> besideTheWindow(const QRect &window, const QSize &box, const QRect &screen)
{
    for (const QPoint place : {QPoint(window.right() + 1, window.top()), QPoint(window.left() - box.width(), window.top()),
                               QPoint(window.left(), window.bottom() + 1)}) {
        if (screen.contains(QRect(place, box)))
            return place;
    }
    return std::nullopt;
}

void QtMessageBox::exclamation(QWidget *parent, const QString &title, const QString &text)
{
    // Qt's labels break lines at a line feed; the carriage returns of the
    // program's texts would otherwise show.
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    FittingMessageBox box(QMessageBox::Warning, title, shown, QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    // Centred on the window, the box would hide the clock's time. Where a
    // window may place itself (X11, not Wayland) it goes beside it, with a
    // frame taken to be like the window's. GNOME attaches a box that belongs
    // to a window to it, centred; one of no window goes where it asks, and
    // task bars would list it as a window of its own. Modal, it still holds
    // every window of the program.
    if (parent && parent->isVisible() && QGuiApplication::platformName() == QLatin1String("xcb")) {
        const QWidget *window = parent->window();
        const QPoint frame = window->geometry().topLeft() - window->frameGeometry().topLeft();
        const QSize size = box.sizeHint() + QSize(frame.x(), frame.y());
        if (const auto place = besideTheWindow(window->frameGeometry(), size, window->screen()->availableGeometry())) {
            box.setParent(nullptr, box.windowFlags());
            keepOffTheTaskBar(&box);
            // Until shown, the box's place is that of its inside.
            box.move(*place + frame);
        }
    }
    box.exec();
}

QString QtOpenDialog::chooseFile(QWidget *parent, const OpenDialogSettings &settings)
{
    // Qt's own dialog, so that the filter reads exactly as given and still
    // matches every name ending in one of the suffixes, whatever its case.
    QFileDialog dialog(parent, settings.title, settings.initialFolder);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setNameFilter(settings.filterText);

    QStringList patterns;
    for (const QString &suffix : settings.suffixes)
        patterns << QStringLiteral("*.") + suffix;
    // The dialog reads its patterns out of the filter's text; these are the
    // ones meant. Its model matches them without regard to letter case.
    if (auto *model = dialog.findChild<QFileSystemModel *>()) {
        auto applyPatterns = [model, patterns] { model->setNameFilters(patterns); };
        applyPatterns();
        QObject::connect(&dialog, &QFileDialog::filterSelected, model, applyPatterns);
        QObject::connect(&dialog, &QFileDialog::directoryEntered, model, applyPatterns);
    }

    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

QString QtProgramLauncher::findProgram(const QString &name) const
{
    if (QDir::isAbsolutePath(name)) {
        const QFileInfo info(name);
        return info.isFile() && info.isExecutable() ? info.absoluteFilePath() : QString();
    }
    return QStandardPaths::findExecutable(name);
}

bool QtProgramLauncher::startDetached(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    process.setProcessEnvironment(environmentForOtherPrograms());
    return process.startDetached();
}

QtServices::QtServices(SoundOutput &sound) : m_sound(sound) {}

Services QtServices::services()
{
    return {m_clock, m_messageBox, m_openDialog, m_launcher, m_sound, m_tray};
}

} // namespace desktop
