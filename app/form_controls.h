#pragma once

#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace tavimo {

// Window geometry is written in twips; at 96 DPI one pixel is 15 twips and
// Qt's high-DPI scaling does the rest.
constexpr int Px(int twips)
{
    return twips / 15;
}
QRect TwipsRect(int left, int top, int width, int height);

// 宋体 10.5 pt where present, else a CJK font of the system.
QFont CaptionFont();

// A white group box with its caption in the frames' colour.
QGroupBox *MakeFrame(QWidget *parent, const QString &name, const QString &caption, int topTwips, int heightTwips);
// A button whose background colour shows, in the default font.
QPushButton *MakeButton(QWidget *parent, const QString &name, const QString &caption, const QRect &rect,
                        const QColor &background);
QLabel *MakeLabel(QWidget *parent, const QString &name, const QString &caption, const QRect &rect);
QLineEdit *MakeTextBox(QWidget *parent, const QString &name, const QString &text, const QRect &rect);

} // namespace tavimo
