#include "res/DialogLayout.h"

#include <QComboBox>
#include <QFontMetrics>
#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QStringList>

#include <cstdint>
#include <mutex>

#include "res/AccessibleList.h"

namespace tarvello::res {

void InstallFontSubstitutions() {
    static std::once_flag once;
    std::call_once(once, [] {
        // Kai face for the header, Song face for the dialog font, a sans face with a CJK face
        // behind it for the texts.
        QFont::insertSubstitutions(QStringLiteral("楷体_GB2312"),
                                   {QStringLiteral("KaiTi_GB2312"), QStringLiteral("KaiTi"),
                                    QStringLiteral("楷体"), QStringLiteral("AR PL UKai CN"),
                                    QStringLiteral("AR PL UKai TW"),
                                    QStringLiteral("AR PL UMing CN")});
        QFont::insertSubstitutions(QStringLiteral("宋体"),
                                   {QStringLiteral("SimSun"), QStringLiteral("AR PL UMing CN"),
                                    QStringLiteral("AR PL UMing TW"),
                                    QStringLiteral("DejaVu Sans")});
        QFont::insertSubstitutions(QStringLiteral("Tahoma"),
                                   {QStringLiteral("DejaVu Sans"), QStringLiteral("AR PL UMing CN"),
                                    QStringLiteral("AR PL UMing TW")});
    });
}

namespace {

QFont FaceFont(const char* face, int pixelSize, int weight) {
    InstallFontSubstitutions();
    QFont font(QString::fromUtf8(face));
    font.setPixelSize(pixelSize);
    font.setWeight(weight >= 700 ? QFont::Bold : QFont::Normal);
    font.setItalic(false);
    font.setUnderline(false);
    font.setStrikeOut(false);
    return font;
}

} // namespace

QFont MakeFont(const char* face, int cellHeight, int weight) {
    // The height is the cell height (the character height plus the internal leading): the
    // largest pixel size whose line fits into it.
    QFont font = FaceFont(face, cellHeight, weight);
    for (int size = cellHeight; size > 1; --size) {
        font.setPixelSize(size);
        if (QFontMetrics(font).height() <= cellHeight)
            break;
    }
    return font;
}

QFont DialogFont(const DialogTemplate& dlg) {
    // A point size is a character height: points at 96 dots per inch.
    return FaceFont(dlg.fontFace, MulDiv(dlg.fontPoints, 96, 72), 400);
}

int MulDiv(int a, int b, int c) {
    if (c == 0)
        return -1;
    const int64_t p = static_cast<int64_t>(a) * b;
    const int64_t half = (c > 0 ? c : -c) / 2;
    const bool negative = (p < 0) != (c < 0);
    const int64_t mag = ((p < 0 ? -p : p) + half) / (c < 0 ? -c : c);
    return static_cast<int>(negative ? -mag : mag);
}

BaseUnits DialogBaseUnits(const QFont& font) {
    const QFontMetrics fm(font);
    const int width = fm.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    BaseUnits base;
    base.x = (width / 26 + 1) / 2; // the average of the 52 letters, rounded
    base.y = fm.height();
    return base;
}

QRect MapDialogRect(int x, int y, int cx, int cy, BaseUnits base) {
    return QRect(MulDiv(x, base.x, 4), MulDiv(y, base.y, 8), MulDiv(cx, base.x, 4),
                 MulDiv(cy, base.y, 8));
}

QSize DialogPixelSize(const DialogTemplate& dlg, BaseUnits base) {
    return QSize(MulDiv(dlg.cx, base.x, 4), MulDiv(dlg.cy, base.y, 8));
}

namespace {

QString Text(const ControlTemplate& c) {
    return c.text ? QString::fromUtf8(c.text) : QString();
}

// The widget of each kind of control, at its rectangle in pixels.
QWidget* CreateStatic(const ControlTemplate& c, QWidget* parent, const QRect& r) {
    auto* label = new QLabel(Text(c), parent);
    Qt::Alignment align = (c.style & kCentered) ? Qt::AlignHCenter : Qt::AlignLeft;
    align |= (c.style & kVCentered) ? Qt::AlignVCenter : Qt::AlignTop;
    label->setAlignment(align);
    if (c.style & kSunken)
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setGeometry(r);
    return label;
}

QWidget* CreateFrame(QWidget* parent, const QRect& r) {
    // As in the platform's dialog manager, a frame neither covers nor catches clicks: it
    // lies beneath its siblings and lets the mouse through to whatever is under it.
    auto* frame = new QFrame(parent);
    frame->setFrameStyle(QFrame::Box | QFrame::Plain);
    frame->setLineWidth(1);
    QPalette pal = frame->palette();
    pal.setColor(QPalette::WindowText, Qt::black);
    frame->setPalette(pal);
    frame->setGeometry(r);
    frame->setAttribute(Qt::WA_TransparentForMouseEvents);
    frame->lower();
    return frame;
}

QWidget* CreateIcon(QWidget* parent, const QRect& r) {
    auto* label = new QLabel(parent);
    // A static icon takes the size of the icon.
    label->setPixmap(QIcon(QString::fromLatin1(kIconPath32)).pixmap(32, 32));
    label->setGeometry(r.x(), r.y(), 32, 32);
    return label;
}

QWidget* CreateEdit(const ControlTemplate& c, QWidget* parent, const QRect& r) {
    auto* edit = new QLineEdit(parent);
    if (c.style & kReadOnly) {
        edit->setReadOnly(true);
        // Read-only edits show the dialog's background, as the platform draws them.
        QPalette pal = edit->palette();
        pal.setColor(QPalette::Base, pal.color(QPalette::Window));
        edit->setPalette(pal);
    } else if (c.style & kDigitsOnly) {
        edit->setValidator(
            new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit));
    }
    edit->setFrame(true);
    edit->setGeometry(r);
    return edit;
}

QWidget* CreateButton(const ControlTemplate& c, QWidget* parent, const QRect& r) {
    auto* button = new QPushButton(Text(c), parent);
    if (c.style & kFlat) {
        // A flat button keeps a thin border, as the platform draws one.
        button->setProperty("tarvelloFlat", true);
        button->setStyleSheet(QStringLiteral(
            "QPushButton { border: 1px solid palette(shadow); background: palette(button);"
            " padding: 0px; }"
            "QPushButton:pressed { background: palette(mid); }"
            "QPushButton:disabled { color: palette(mid); }"
            "QPushButton:focus { border: 1px dotted palette(shadow); }"));
    }
    if (c.style & kDefault)
        button->setDefault(true);
    button->setGeometry(r);
    return button;
}

QWidget* CreateComboList(const DialogTemplate& dlg, const ControlTemplate& c, QWidget* parent,
                         const QRect& r) {
    auto* combo = new QComboBox(parent);
    combo->setEditable(false);
    for (const char* item : ComboItems(dlg.id, c.id))
        combo->addItem(QString::fromUtf8(item));
    combo->setCurrentIndex(-1); // a new list has no selection
    // The template's height is that of the opened list; the closed box takes the height
    // its font needs, and the list shows as many items as the template's height holds.
    const int closed = combo->sizeHint().height();
    combo->setGeometry(r.x(), r.y(), r.width(), closed);
    const int itemHeight = QFontMetrics(combo->font()).height() + 2;
    combo->setMaxVisibleItems(qMax(1, (r.height() - closed) / qMax(1, itemHeight)));
    return combo;
}

QWidget* CreateControl(const DialogTemplate& dlg, const ControlTemplate& c, QWidget* parent,
                       BaseUnits base) {
    const QRect r = MapDialogRect(c.x, c.y, c.cx, c.cy, base);
    QWidget* w = nullptr;
    switch (c.kind) {
    case Kind::Static:
        w = CreateStatic(c, parent, r);
        break;
    case Kind::Frame:
        w = CreateFrame(parent, r);
        break;
    case Kind::Icon:
        w = CreateIcon(parent, r);
        break;
    case Kind::Edit:
        w = CreateEdit(c, parent, r);
        break;
    case Kind::Button:
        w = CreateButton(c, parent, r);
        break;
    case Kind::ComboList:
        w = CreateComboList(dlg, c, parent, r);
        break;
    }
    if (c.id != kIdStatic)
        w->setObjectName(QString::number(c.id));
    if (c.style & kHidden)
        w->setVisible(false);
    return w;
}

} // namespace

BaseUnits BuildDialog(const DialogTemplate& dlg, QWidget* parent) {
    InstallListAccessibility(); // before the first list exists
    const QFont font = DialogFont(dlg);
    parent->setFont(font);
    const BaseUnits base = DialogBaseUnits(font);
    for (size_t i = 0; i < dlg.count; ++i)
        CreateControl(dlg, dlg.controls[i], parent, base);
    // Accessible names from the labels.
    for (size_t i = 0; i < dlg.count; ++i) {
        const ControlTemplate& c = dlg.controls[i];
        if (c.kind != Kind::Static || c.labelOf == 0)
            continue;
        if (QWidget* named = FindControlWidget(parent, c.labelOf))
            named->setAccessibleName(Text(c));
    }
    return base;
}

void FitTextToFont(QWidget* control) {
    auto* label = qobject_cast<QLabel*>(control);
    if (!label || label->text().isEmpty())
        return;
    const QFontMetrics fm(label->font());
    const QMargins frame = label->contentsMargins();
    const int frameWidth = 2 * label->frameWidth() + frame.left() + frame.right();
    const int frameHeight = 2 * label->frameWidth() + frame.top() + frame.bottom();
    QRect r = label->geometry();
    const int needWidth = fm.horizontalAdvance(label->text()) + frameWidth;
    if (needWidth > r.width()) {
        if (label->alignment() & Qt::AlignHCenter)
            r.moveLeft(r.left() - (needWidth - r.width()) / 2);
        r.setWidth(needWidth);
    }
    const int needHeight = fm.height() + frameHeight;
    if (needHeight > r.height()) {
        if (label->alignment() & Qt::AlignVCenter)
            r.moveTop(r.top() - (needHeight - r.height()) / 2);
        r.setHeight(needHeight);
    }
    label->setGeometry(r);
}

QWidget* FindControlWidget(const QWidget* parent, int id) {
    if (!parent)
        return nullptr;
    return parent->findChild<QWidget*>(QString::number(id), Qt::FindDirectChildrenOnly);
}

} // namespace tarvello::res
