#include "dialog/caboutdlg.h"

#include "config/cappconfig.h"
#include "ui/ctoolbutton.h"

#include <QCursor>
#include <QDebug>
#include <QDesktopServices>
#include <QFile>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>
#include <QUrl>
#include <QVBoxLayout>

CAboutDialog::sOwnerInfo CAboutDialog::ownerInfo()
{
    sOwnerInfo info;
    QFile file(QStringLiteral(":/res/res/about/owner.json"));
    if (!file.open(QIODevice::ReadOnly)) {
        qDebug() << "can't open owner file!";
        return info;
    }
    const QJsonObject o = QJsonDocument::fromJson(file.readAll()).object();
    info.companyName = o.value(QStringLiteral("companyName")).toString();
    info.companyNameEn = o.value(QStringLiteral("companyNameEn")).toString();
    info.webSite = o.value(QStringLiteral("webSite")).toString();
    info.logo = o.value(QStringLiteral("logo")).toString();
    return info;
}

CAboutDialog::CAboutDialog(QWidget *parent)
    : QDialog(parent)
    , m_owner(ownerInfo())
{
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_TranslucentBackground);

    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);

    auto *frame = new QWidget(this);
    frame->setObjectName(QStringLiteral("aboutDialog"));
    frame->setAttribute(Qt::WA_StyledBackground);
    frame->setStyleSheet(QStringLiteral(
        "QWidget#aboutDialog{background: transparent; border: 1px solid rgb(87,92,102); border-radius: 8px;}"
        "QWidget#aboutDialogTop{background-color: rgb(28, 30, 33); border-top-left-radius: 8px;"
        " border-top-right-radius: 8px;}"
        "QWidget#aboutDialogBottom{background-color: rgb(23, 23, 23); border-bottom-left-radius: 8px;"
        " border-bottom-right-radius: 8px;}"));
    outer->addWidget(frame);
    auto *frameLayout = new QVBoxLayout(frame);
    frameLayout->setContentsMargins(1, 1, 1, 1);
    frameLayout->setSpacing(0);

    // Top: title and close.
    auto *top = new QWidget(frame);
    top->setObjectName(QStringLiteral("aboutDialogTop"));
    top->setAttribute(Qt::WA_StyledBackground);
    top->setFixedHeight(40);
    m_titleLabel = new QLabel(top);
    m_titleLabel->setObjectName(QStringLiteral("aboutTitle"));
    QFont titleFont = m_titleLabel->font();
    titleFont.setPixelSize(16);
    titleFont.setWeight(75);
    m_titleLabel->setFont(titleFont);
    m_titleLabel->setStyleSheet(QStringLiteral("color: white;"));
    m_closeButton = new CToolButton(top);
    m_closeButton->setFixedSize(32, 32);
    m_closeButton->setIcon(QIcon(QStringLiteral(":/res/res/image/common/delete_little.svg")));
    m_closeButton->setIconSize(QSize(14, 14));
    auto *topLayout = new QHBoxLayout(top);
    topLayout->setContentsMargins(16, 0, 6, 0);
    topLayout->addWidget(m_titleLabel);
    topLayout->addStretch();
    topLayout->addWidget(m_closeButton);
    frameLayout->addWidget(top);

    // Bottom: logo and the four lines.
    auto *bottom = new QWidget(frame);
    bottom->setObjectName(QStringLiteral("aboutDialogBottom"));
    bottom->setAttribute(Qt::WA_StyledBackground);
    auto *logo = new QLabel(bottom);
    logo->setObjectName(QStringLiteral("aboutImage"));
    logo->setFixedSize(72, 72);
    const QString logoPath = m_owner.logo.isEmpty() ? QStringLiteral(":/res/res/image/title/applogo.svg") : m_owner.logo;
    logo->setStyleSheet(QStringLiteral("QLabel#aboutImage{ background-color: transparent; image: url(%1);"
                                       "border-radius: 16px; border: none;}").arg(logoPath));

    auto makeLine = [bottom](const QString &name, int pixelSize, bool bold) {
        auto *l = new QLabel(bottom);
        l->setObjectName(name);
        l->setFixedHeight(21);
        l->setAlignment(Qt::AlignCenter);
        QFont f = l->font();
        f.setPixelSize(pixelSize);
        if (bold)
            f.setWeight(75);
        l->setFont(f);
        return l;
    };
    m_productLabel = makeLine(QStringLiteral("aboutProduct"), 16, true);
    m_productLabel->setStyleSheet(QStringLiteral("color: white;"));
    m_versionLabel = makeLine(QStringLiteral("softVersion"), 14, false);
    m_versionLabel->setStyleSheet(QStringLiteral("color: rgba(255, 255, 255, 0.6);"));
    m_companyLabel = makeLine(QStringLiteral("aboutCompany"), 14, false);
    m_companyLabel->setStyleSheet(QStringLiteral("color: rgba(255, 255, 255, 0.8);"));
    m_linkLabel = makeLine(QStringLiteral("aboutLink"), 14, false);
    m_linkLabel->setTextFormat(Qt::RichText);
    m_linkLabel->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
    // Opened by openUrl, not by the label itself, so a click opens it once.
    m_linkLabel->setOpenExternalLinks(false);
    connect(m_linkLabel, &QLabel::linkActivated, this, &CAboutDialog::openUrl);

    auto *bottomLayout = new QVBoxLayout(bottom);
    bottomLayout->setContentsMargins(24, 28, 24, 28);
    bottomLayout->setSpacing(8);
    bottomLayout->addWidget(logo, 0, Qt::AlignHCenter);
    bottomLayout->addSpacing(8);
    bottomLayout->addWidget(m_productLabel);
    bottomLayout->addWidget(m_versionLabel);
    bottomLayout->addSpacing(8);
    bottomLayout->addWidget(m_companyLabel);
    bottomLayout->addWidget(m_linkLabel);
    frameLayout->addWidget(bottom, 1);

    connect(m_closeButton, &CToolButton::released, this, &QDialog::close);
    retranslate();
}

void CAboutDialog::retranslate()
{
    m_titleLabel->setText(tr("关于"));
    m_productLabel->setText(tr("分布式配置软件"));
    m_versionLabel->setText(CAppConfig::instance()->softVersion());
    const bool english = CAppConfig::instance()->language() == QLatin1String("EN");
    m_companyLabel->setText(english && !m_owner.companyNameEn.isEmpty() ? m_owner.companyNameEn : m_owner.companyName);
    const QString url = m_owner.webSite.toHtmlEscaped();
    m_linkLabel->setText(
        QStringLiteral("<a href=\"%1\" style=\"color: rgb(9,119,229); text-decoration: none;\">%1</a>").arg(url));
}

void CAboutDialog::openUrl(const QString &url)
{
    QDesktopServices::openUrl(QUrl(url));
}

void CAboutDialog::mousePressEvent(QMouseEvent *event)
{
    if (!m_drag.press(this, event))
        QDialog::mousePressEvent(event);
}

void CAboutDialog::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_drag.move(this, event))
        QDialog::mouseMoveEvent(event);
}

void CAboutDialog::mouseReleaseEvent(QMouseEvent *event)
{
    m_drag.release();
    QDialog::mouseReleaseEvent(event);
}

void CAboutDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    QScreen *screen = QGuiApplication::screenAt(QCursor::pos());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect sg = screen->geometry();
    move(sg.center().x() - width() / 2, sg.center().y() - height() / 2);
}

void CAboutDialog::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange)
        retranslate();
    QDialog::changeEvent(event);
}

#include "moc_caboutdlg.cpp"
