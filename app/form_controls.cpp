#include "app/form_controls.h"

#include <QApplication>
#include <QFontDatabase>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace tavimo {

namespace {

const QColor kFrameTextColour(192, 64, 0);

QString CaptionFontFamily()
{
    static const QStringList preferred = {
        QStringLiteral("SimSun"),
        QStringLiteral("宋体"),
        QStringLiteral("NSimSun"),
        QStringLiteral("Noto Serif CJK SC"),
        QStringLiteral("Noto Sans CJK SC"),
        QStringLiteral("WenQuanYi Micro Hei"),
        QStringLiteral("WenQuanYi Zen Hei"),
        QStringLiteral("AR PL UMing CN"),
    };
    const QStringList families = QFontDatabase::families(QFontDatabase::SimplifiedChinese);
    for (const QString &family : preferred) {
        if (families.contains(family, Qt::CaseInsensitive))
            return family;
    }
    return families.isEmpty() ? QString() : families.first();
}

// Controls inside a frame keep the ordinary black text and white boxes.
void UsePlainColours(QWidget *control)
{
    QPalette palette = control->palette();
    palette.setColor(QPalette::WindowText, Qt::black);
    palette.setColor(QPalette::Text, Qt::black);
    palette.setColor(QPalette::ButtonText, Qt::black);
    control->setPalette(palette);
}

} // namespace

QRect TwipsRect(int left, int top, int width, int height)
{
    return QRect(Px(left), Px(top), Px(width), Px(height));
}

QFont CaptionFont()
{
    QFont font = QApplication::font();
    const QString family = CaptionFontFamily();
    if (!family.isEmpty())
        font.setFamily(family);
    font.setPointSizeF(10.5);
    return font;
}

QGroupBox *MakeFrame(QWidget *parent, const QString &name, const QString &caption, int topTwips, int heightTwips)
{
    auto *frame = new QGroupBox(caption, parent);
    frame->setObjectName(name);
    frame->setGeometry(TwipsRect(120, topTwips, 7575, heightTwips));
    frame->setFont(CaptionFont());
    frame->setAutoFillBackground(true);
    QPalette palette = frame->palette();
    palette.setColor(QPalette::Window, Qt::white);
    palette.setColor(QPalette::WindowText, kFrameTextColour);
    palette.setColor(QPalette::Text, kFrameTextColour);
    frame->setPalette(palette);
    return frame;
}

QPushButton *MakeButton(QWidget *parent, const QString &name, const QString &caption, const QRect &rect,
                        const QColor &background)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setGeometry(rect);
    button->setFont(QApplication::font());
    UsePlainColours(button);
    button->setStyleSheet(QStringLiteral("QPushButton { background-color: %1; border: 1px solid #808080; }"
                                         "QPushButton:pressed { border: 2px inset #808080; }"
                                         "QPushButton:disabled { color: #808080; }")
                              .arg(background.name()));
    return button;
}

QLabel *MakeLabel(QWidget *parent, const QString &name, const QString &caption, const QRect &rect)
{
    auto *label = new QLabel(caption, parent);
    label->setObjectName(name);
    label->setGeometry(rect);
    label->setTextFormat(Qt::PlainText);
    UsePlainColours(label);
    return label;
}

QLineEdit *MakeTextBox(QWidget *parent, const QString &name, const QString &text, const QRect &rect)
{
    auto *box = new QLineEdit(text, parent);
    box->setObjectName(name);
    box->setGeometry(rect);
    UsePlainColours(box);
    return box;
}

} // namespace tavimo
