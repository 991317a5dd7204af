#include "app/qt/about_box.h"

#include <QDialog>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

#include "app/core/resources.h"
#include "app/qt/icons.h"

namespace veskar {

namespace {

// Dialog units to pixels in the dialog's font.
class DialogUnits {
public:
    explicit DialogUnits(const QFont& font)
        : across_(QFontMetrics(font).averageCharWidth()), down_(QFontMetrics(font).height())
    {
    }
    int x(int units) const { return units * across_ / 4; }
    int y(int units) const { return units * down_ / 8; }
    QRect rect(const Rect& units) const
    {
        return QRect(x(units.left), y(units.top), x(units.width()), y(units.height()));
    }

private:
    int across_;
    int down_;
};

}  // namespace

void showAboutBox(QWidget* owner)
{
    const AboutBox& about = aboutBox();
    QDialog dialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    dialog.setWindowTitle(QString::fromUtf8(about.title));
    const DialogUnits units(dialog.font());
    dialog.setFixedSize(units.x(about.width), units.y(about.height));

    QLabel* icon = new QLabel(&dialog);
    icon->setPixmap(veskarIcon(IDI_ABOUT).pixmap(32, 32));
    icon->move(units.rect(about.iconRect).topLeft());
    icon->resize(32, 32);

    QLabel* text = new QLabel(QString::fromUtf8(about.text), &dialog);
    text->setTextFormat(Qt::PlainText);
    text->setGeometry(units.rect(about.textRect));
    text->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    QGroupBox* version = new QGroupBox(QString::fromUtf8(about.versionCaption), &dialog);
    version->setGeometry(units.rect(about.versionRect));

    QPushButton* ok = new QPushButton(QString::fromUtf8(about.button), &dialog);
    ok->setGeometry(units.rect(about.buttonRect));
    ok->setDefault(true);
    QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
    dialog.exec();
}

}  // namespace veskar
