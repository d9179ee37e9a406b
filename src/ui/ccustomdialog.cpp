#include "ui/ccustomdialog.h"

#include <QAbstractItemView>
#include "ui/ctoolbutton.h"

#include <QApplication>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>

namespace {
QWidget *findMainWindow()
{
    QWidget *found = nullptr;
    const auto topLevels = QApplication::topLevelWidgets();
    for (QWidget *w : topLevels) {
        if (w->inherits("MainWindow") || w->objectName() == QLatin1String("MainWindow"))
            found = w;
    }
    return found;
}
} // namespace

CCustomDialog::CCustomDialog(QWidget *parent)
    : QDialog(parent ? parent : findMainWindow())
{
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_TranslucentBackground);

    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);

    m_mainWidget = new QWidget(this);
    m_mainWidget->setObjectName(QStringLiteral("mainWidget"));
    m_mainWidget->setAttribute(Qt::WA_StyledBackground);
    m_mainWidget->setStyleSheet(QStringLiteral(
        "QWidget#mainWidget{background-color: rgba(33, 35, 38, 1); border-radius: 8px;"
        " border: 1px solid #455265;}"
        "QWidget#BottomWidget{background-color: transparent; border-bottom-left-radius: 8px;"
        " border-bottom-right-radius: 8px; border: 1px solid #455265; border-top: none;}"));
    outer->addWidget(m_mainWidget);

    auto *mainLayout = new QVBoxLayout(m_mainWidget);
    mainLayout->setContentsMargins(0, 0, 0, 0);
    mainLayout->setSpacing(0);

    // Title row.
    m_titleLabel = new QLabel(QStringLiteral("QVMangager"), m_mainWidget);
    m_titleLabel->setFixedHeight(21);
    QFont titleFont = m_titleLabel->font();
    titleFont.setWeight(75);
    titleFont.setPixelSize(16);
    m_titleLabel->setFont(titleFont);
    m_titleLabel->setStyleSheet(QStringLiteral("color: white; background: transparent; border: none;"));

    m_closeButton = new CToolButton(m_mainWidget);
    m_closeButton->setFixedSize(24, 24);
    m_closeButton->setIcon(QIcon(QStringLiteral(":/res/res/image/common/delete_little.svg")));
    m_closeButton->setIconSize(QSize(14, 14));

    auto *titleRow = new QHBoxLayout;
    titleRow->setContentsMargins(24, 0, 16, 0);
    titleRow->setSpacing(0);
    auto *titleCol = new QVBoxLayout;
    titleCol->setContentsMargins(0, 24, 0, 0);
    titleCol->addWidget(m_titleLabel);
    titleCol->addStretch();
    auto *closeCol = new QVBoxLayout;
    closeCol->setContentsMargins(0, 16, 0, 0);
    closeCol->addWidget(m_closeButton);
    closeCol->addStretch();
    titleRow->addLayout(titleCol);
    titleRow->addStretch();
    titleRow->addLayout(closeCol);
    mainLayout->addLayout(titleRow);

    // Content.
    m_contentWidget = new QWidget(m_mainWidget);
    m_contentWidget->setObjectName(QStringLiteral("contentWidget"));
    m_contentWidget->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    auto *contentBox = new QVBoxLayout;
    contentBox->setContentsMargins(24, 16, 24, 24);
    contentBox->addWidget(m_contentWidget);
    mainLayout->addLayout(contentBox, 1);

    // Bottom row.
    auto *bottom = new QWidget(m_mainWidget);
    bottom->setObjectName(QStringLiteral("BottomWidget"));
    bottom->setAttribute(Qt::WA_StyledBackground);
    bottom->setFixedHeight(76);
    m_cancelButton = new QPushButton(tr("取消"), bottom);
    m_cancelButton->setFixedSize(120, 32);
    m_okButton = new QPushButton(tr("确认"), bottom);
    m_okButton->setObjectName(QStringLiteral("blueButton"));
    m_okButton->setFixedSize(120, 32);
    // Enter must never fire a button behind the operator's back.
    for (QPushButton *b : {m_okButton, m_cancelButton}) {
        b->setAutoDefault(false);
        b->setDefault(false);
        b->setCursor(Qt::PointingHandCursor);
    }
    auto *bottomLayout = new QHBoxLayout(bottom);
    bottomLayout->setContentsMargins(24, 0, 24, 0);
    bottomLayout->setSpacing(0);
    bottomLayout->addStretch();
    bottomLayout->addWidget(m_cancelButton);
    bottomLayout->addSpacing(8);
    bottomLayout->addWidget(m_okButton);
    mainLayout->addWidget(bottom);

    connect(m_okButton, &QPushButton::clicked, this, &CCustomDialog::okPressed);
    connect(m_cancelButton, &QPushButton::clicked, this, &CCustomDialog::cancelPressed);
    connect(m_closeButton, &CToolButton::released, this, &CCustomDialog::cancelPressed);
}

CCustomDialog::~CCustomDialog() = default;

void CCustomDialog::setTitle(const QString &title)
{
    m_titleLabel->setText(title);
}

void CCustomDialog::setOkText(const QString &text)
{
    m_okButton->setText(text);
}

void CCustomDialog::setCancelText(const QString &text)
{
    m_cancelButton->setText(text);
}

void CCustomDialog::hideCancelButton()
{
    m_cancelButton->hide();
}

void CCustomDialog::showCancelButton()
{
    m_cancelButton->show();
}

void CCustomDialog::okPressed()
{
    onOkClicked();
    if (!m_keepOpenOnOk && !m_selfClosing)
        accept();
}

void CCustomDialog::cancelPressed()
{
    onCancelClicked();
    if (!m_selfClosing)
        reject();
}

void CCustomDialog::mousePressEvent(QMouseEvent *event)
{
    if (!m_drag.press(this, event))
        QDialog::mousePressEvent(event);
}

void CCustomDialog::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_drag.move(this, event))
        QDialog::mouseMoveEvent(event);
}

void CCustomDialog::mouseReleaseEvent(QMouseEvent *event)
{
    m_drag.release();
    QDialog::mouseReleaseEvent(event);
}

void CCustomDialog::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        event->accept();
        return;
    case Qt::Key_Period:
        event->ignore();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void CCustomDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // Tab walks the fields in order, then Cancel, then OK: a list or table is one stop, not a
    // trap that walks its cells, and the close cross (a mouse target) takes no focus.
    for (QAbstractItemView *view : findChildren<QAbstractItemView *>())
        view->setTabKeyNavigation(false);
    m_closeButton->setFocusPolicy(Qt::NoFocus);
    if (m_cancelButton->isVisible())
        setTabOrder(m_cancelButton, m_okButton);
    QScreen *screen = QGuiApplication::screenAt(geometry().center());
    if (!screen) {
        const auto screens = QGuiApplication::screens();
        if (screens.isEmpty())
            return;
        screen = screens.first();
    }
    const QRect sg = screen->geometry();
    move(sg.center().x() - width() / 2, sg.center().y() - height() / 2);
}

void CCustomDialog::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::ActivationChange)
        updateActiveLook();
    QDialog::changeEvent(event);
}

void CCustomDialog::updateActiveLook()
{
    m_okButton->setObjectName(isActiveWindow() ? QStringLiteral("blueButton") : QStringLiteral("greyButton"));
    m_okButton->style()->unpolish(m_okButton);
    m_okButton->style()->polish(m_okButton);
    m_okButton->update();
}

#include "moc_ccustomdialog.cpp"
