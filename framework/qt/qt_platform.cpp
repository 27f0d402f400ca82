#include "framework/qt/qt_platform.h"

#include <QApplication>
#include <QColor>
#include <QFileInfo>
#include <QImage>
#include <QLineEdit>
#include <QMessageBox>
#include <QPalette>
#include <QPushButton>
#include <QScreen>
#include <QStyleFactory>
#include <cmath>
#include <memory>
#include <optional>
#include <vector>

#include "framework/exceptions.h"
#include "framework/qt/qt_dialog.h"
#include "framework/win_app.h"

namespace kadenzo::qt {

namespace {

std::optional<QColor> g_face;
std::optional<QColor> g_text;
std::vector<QtDialogWindow*> g_running;  // innermost last
const ResourceTable* g_resources = nullptr;

const ResourceTable& Resources() {
  static constexpr ResourceTable kNone{};
  return g_resources != nullptr ? *g_resources : kNone;
}

QColor ToQColor(Colour colour) {
  return QColor(RedOf(colour), GreenOf(colour), BlueOf(colour));
}

QImage IconImage(int resourceId) {
  for (const IconResource& icon : Resources().icons) {
    if (icon.id == resourceId) return QImage(icon.xpm);
  }
  throw CResourceException("no icon resource with that id");
}

}  // namespace

void Platform::ApplyDialogColours(QWidget& dialog) {
  if (!g_face) return;
  // Face, labels, buttons and frames take the dialog colours; the Base and
  // Text roles of editable fields are left to the desktop's scheme. The
  // shades of bevels and frames are the face's own, as a palette made from
  // it has them (white, #808080 and black around grey), not the scheme's.
  QPalette palette = dialog.palette();
  const QPalette shades(*g_face);
  for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
    palette.setColor(group, QPalette::Window, *g_face);
    palette.setColor(group, QPalette::Button, *g_face);
    for (QPalette::ColorRole role :
         {QPalette::Light, QPalette::Midlight, QPalette::Mid, QPalette::Dark, QPalette::Shadow}) {
      palette.setColor(group, role, shades.color(group, role));
    }
    if (group != QPalette::Disabled) {
      palette.setColor(group, QPalette::WindowText, *g_text);
      palette.setColor(group, QPalette::ButtonText, *g_text);
    }
  }
  dialog.setPalette(palette);
  dialog.setAutoFillBackground(true);
}

void Platform::ApplyReadOnlyColours(QLineEdit& edit) {
  if (!g_face) return;
  // Read-only fields are coloured as labels are.
  QPalette palette = edit.palette();
  for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
    palette.setColor(group, QPalette::Base, *g_face);
    if (group != QPalette::Disabled) palette.setColor(group, QPalette::Text, *g_text);
  }
  edit.setPalette(palette);
}

void Platform::ApplyButtonColours(QPushButton& button) {
  if (!g_face) return;
  // The style frames the default and the focused push button in the
  // Highlight colour and tints the default one's face with it, which would
  // bring the scheme's accent into the button. They take the face's darkest
  // shade instead: a black frame, as a classic default button has.
  QPalette palette = button.palette();
  const QPalette shades(*g_face);
  for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
    palette.setColor(group, QPalette::Highlight, shades.color(group, QPalette::Shadow));
  }
  button.setPalette(palette);
}

QIcon Platform::ApplicationIcon() {
  const auto icons = Resources().icons;
  if (icons.empty()) return {};
  QIcon icon;
  for (int scale : {1, 2, 3, 4}) icon.addPixmap(IconPixmap(icons.front().id, scale));
  return icon;
}

QPixmap Platform::IconPixmap(int resourceId, qreal devicePixelRatio) {
  const QImage image = IconImage(resourceId);
  const int scale = std::max(1, static_cast<int>(std::ceil(devicePixelRatio)));
  QPixmap pixmap =
      QPixmap::fromImage(image.scaled(image.size() * scale, Qt::IgnoreAspectRatio, Qt::FastTransformation));
  pixmap.setDevicePixelRatio(scale);
  return pixmap;
}

ApplicationScope::ApplicationScope(const char* programName) : name_(programName), argv_{name_.data(), nullptr} {
  application_ = std::make_unique<QApplication>(argc_, argv_);
}

ApplicationScope::~ApplicationScope() = default;

}  // namespace kadenzo::qt

namespace kadenzo::backend {

using qt::QtDialogWindow;
using namespace kadenzo::qt;

void Initialise(const char* programName, const ResourceTable& resources) {
  qt::g_resources = &resources;
  // The entry normally provides the application object; one made here lives
  // as long as the process.
  if (QApplication::instance() == nullptr) static ApplicationScope application(programName);
  // A style that honours the dialog colours on every desktop.
  QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
  // Every window of the program takes it, the dialogs included.
  QApplication::setWindowIcon(qt::Platform::ApplicationIcon());
  // A Wayland compositor knows a window's program only by this name: it
  // finds the desktop entry by it, and with that the icon and the name the
  // window is shown and grouped under.
  QGuiApplication::setDesktopFileName(QStringLiteral(KADENZO_APP_ID));
}

int RunModal(const DialogTemplate& dialog, DialogWindow* owner, DialogSite& site) {
  auto* ownerWindow = dynamic_cast<QtDialogWindow*>(owner);
  auto window = std::make_unique<QtDialogWindow>(dialog, ownerWindow, site);
  if (ownerWindow != nullptr) ownerWindow->SetBlockedByModal(true);
  g_running.push_back(window.get());

  struct Cleanup {
    QtDialogWindow* window;
    QtDialogWindow* owner;
    DialogSite& site;
    ~Cleanup() {
      const bool wasActive = window->isActiveWindow();
      window->hide();
      std::erase(g_running, window);
      if (owner != nullptr) {
        owner->SetBlockedByModal(false);
        if (wasActive || QApplication::activeWindow() == nullptr) owner->Activate();
      }
      site.Detach();
    }
  } cleanup{window.get(), ownerWindow, site};

  if (site.InitDialog(*window)) window->FocusFirstTabStop();
  return window->RunModalLoop();
}

DialogWindow* ActiveWindow() {
  return g_running.empty() ? nullptr : g_running.back();
}

ScreenRect DesktopRect() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) throw CResourceException("no screen");
  const QRect geometry = screen->geometry();
  return {geometry.left(), geometry.top(), geometry.left() + geometry.width(), geometry.top() + geometry.height()};
}

int MessageBox(std::string_view text, std::string_view caption, unsigned type) {
  const unsigned icon = type & 0xF0;
  QMessageBox box(icon == kMbIconStop          ? QMessageBox::Critical
                  : icon == kMbIconExclamation ? QMessageBox::Warning
                                               : QMessageBox::NoIcon,
                  ToQString(caption), ToQString(text), QMessageBox::Ok, g_running.empty() ? nullptr : g_running.back());
  box.setWindowModality((type & kMbSystemModal) != 0 ? Qt::ApplicationModal : Qt::WindowModal);
  qt::Platform::ApplyDialogColours(box);
  box.exec();
  return kIdOk;
}

void SetDialogColours(Colour face, Colour text) {
  qt::g_face = qt::ToQColor(face);
  qt::g_text = qt::ToQColor(text);
}

std::optional<std::string> LoadString(unsigned id) {
  for (const StringResource& entry : qt::Resources().strings) {
    if (entry.id == id) return std::string(entry.text);
  }
  return std::nullopt;
}

std::string ModuleBaseName() {
  return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName().toStdString();
}

}  // namespace kadenzo::backend
