#include "dialog/cmaintitlebar.h"

#include <QActionGroup>
#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QStyleOption>
#include <QVBoxLayout>
#include <algorithm>

#include "app/appevent.h"
#include "config/cappconfig.h"
#include "ui/chorispacewidget.h"
#include "ui/gradienttextlabel.h"

namespace {

struct CommandDef
{
    const char *label;   // Chinese source text
    const char *english; // only measured for the widths; null when the width is fixed
    bool shown;
    void (CMainTitleBar::*slot)();
};

const CommandDef kCommands[] = {
    {QT_TRANSLATE_NOOP("CMainTitleBar", "扫描节点"), "Scan node", true, &CMainTitleBar::onScanNode},
    {QT_TRANSLATE_NOOP("CMainTitleBar", "类型切换"), "Switch type", true, &CMainTitleBar::onTypeSwitch},
    {QT_TRANSLATE_NOOP("CMainTitleBar", "网络配置"), "Network config", true, &CMainTitleBar::onNetConfig},
    {QT_TRANSLATE_NOOP("CMainTitleBar", "添加节点"), nullptr, false, &CMainTitleBar::onAddNode},
    {QT_TRANSLATE_NOOP("CMainTitleBar", "设备升级"), "Device upgrade", true, &CMainTitleBar::onDeviceUpdate},
    {QT_TRANSLATE_NOOP("CMainTitleBar", "app升级"), "App upgrade", false, &CMainTitleBar::onAppUpdate},
    {QT_TRANSLATE_NOOP("CMainTitleBar", "设备重启"), "Device restart", true, &CMainTitleBar::onDeviceRestart},
    {QT_TRANSLATE_NOOP("CMainTitleBar", "恢复出厂设置"), "Factory reset", true, &CMainTitleBar::onResumeFactorySet},
    {QT_TRANSLATE_NOOP("CMainTitleBar", "数据导入"), "Data import", true, &CMainTitleBar::onDataImport},
    {QT_TRANSLATE_NOOP("CMainTitleBar", "数据导出"), "Data export", true, &CMainTitleBar::onDataExport},
    {QT_TRANSLATE_NOOP("CMainTitleBar", "一键替换"), nullptr, false, &CMainTitleBar::onOneKeyReplace},
    {QT_TRANSLATE_NOOP("CMainTitleBar", "同步系统时间"), "Sync system time", true, &CMainTitleBar::onSetDeviceTime},
    {QT_TRANSLATE_NOOP("CMainTitleBar", "解码节点模式切换"), "Switch mode", true, &CMainTitleBar::onModelSwitch},
    {QT_TRANSLATE_NOOP("CMainTitleBar", "代理节点日志等级"), "Proxy log level", true,
     &CMainTitleBar::onProxyLogLevelBtn},
};

const QString kMaxStyle = QStringLiteral("QPushButton{border-image: url(:/res/res/image/title/max.svg);}"
                                         "QPushButton:hover{border-image: url(:/res/res/image/title/max.svg);}");
const QString kNormalStyle = QStringLiteral("QPushButton{border-image: url(:/res/res/image/title/normal.svg);}"
                                            "QPushButton:hover{border-image: url(:/res/res/image/title/normal.svg);}");

} // namespace

CMainTitleBar::CMainTitleBar(QWidget *mainWindow)
    : QWidget(mainWindow)
    , m_mainWindow(mainWindow)
{
    setObjectName(QStringLiteral("mainTitleBar"));
    setMouseTracking(true);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(0x2c, 0x2e, 0x33));
    setPalette(pal);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    m_topRow = new QWidget(this);
    m_topRow->setObjectName(QStringLiteral("titleTopRow"));
    m_topRow->setFixedHeight(RowHeight);
    m_topRow->setMouseTracking(true);
    m_topRow->setStyleSheet(QStringLiteral("#titleTopRow{background-color: #2c2e33;}"));
    auto *top = new QHBoxLayout(m_topRow);
    top->setContentsMargins(0, 0, 0, 0);
    top->addSpacing(12);
    m_logo = new QLabel(m_topRow);
    m_logo->setObjectName(QStringLiteral("softImg"));
    m_logo->setFixedSize(32, 32);
    m_logo->setStyleSheet(QStringLiteral("#softImg{ image: url(:/res/res/image/title/applogo.svg); }"));
    top->addWidget(m_logo);
    m_title = new GradientTextLabel(m_topRow);
    QFont titleFont = m_title->font();
    titleFont.setPixelSize(18);
    titleFont.setWeight(75);
    m_title->setFont(titleFont);
    top->addWidget(m_title);
    top->addStretch();
    m_moreButton = makeWindowButton("pushButtonMore");
    m_minButton = makeWindowButton("pushButtonMin");
    m_maxButton = makeWindowButton("pushButtonMax");
    m_closeButton = makeWindowButton("pushButtonClose");
    for (QPushButton *b : {m_moreButton, m_minButton, m_maxButton, m_closeButton})
        top->addWidget(b);
    setMaxButtonImage(false);
    layout->addWidget(m_topRow);

    layout->addWidget(new CHoriSpaceWidget(this));

    m_commandRow = new QWidget(this);
    m_commandRow->setObjectName(QStringLiteral("titleCommandRow"));
    m_commandRow->setFixedHeight(RowHeight);
    m_commandRow->setMouseTracking(true);
    m_commandRow->installEventFilter(this);
    auto *row = new QHBoxLayout(m_commandRow);
    row->setContentsMargins(12, 6, 12, 6);
    row->setSpacing(12);
    for (const CommandDef &def : kCommands) {
        auto *button = new QPushButton(m_commandRow);
        button->setObjectName(QStringLiteral("pushButtonMenu"));
        button->setCheckable(true);
        button->setFixedSize(86, 28);
        button->setVisible(def.shown);
        row->addWidget(button);
        m_commandButtons.append(button);
        m_sourceLabels.append(def.label);
        if (def.english) {
            m_widthButtons.append(button);
            m_cnLabels.append(QString::fromUtf8(def.label));
            m_enLabels.append(QString::fromLatin1(def.english));
        }
        connect(button, &QPushButton::clicked, this, def.slot);
        // Checked while its command runs, then normal again; a click that started nothing
        // (refused, or ended at once) leaves it normal.
        const int index = m_commandButtons.size() - 1;
        connect(button, &QPushButton::clicked, button, [this, button, index] {
            if (m_runningCommand != index)
                button->setChecked(false);
        });
    }
    row->addStretch();
    layout->addWidget(m_commandRow);

    retranslateUi();
    setButtonWidths(CAppConfig::instance()->language());

    connect(m_moreButton, &QPushButton::clicked, this, &CMainTitleBar::onMoreButton);
    connect(m_minButton, &QPushButton::clicked, this, &CMainTitleBar::onPushButtonMin);
    connect(m_maxButton, &QPushButton::clicked, this, &CMainTitleBar::onPushButtonNormalMax);
    connect(m_closeButton, &QPushButton::clicked, this, &CMainTitleBar::onPushButtonClose);
    connect(this, &CMainTitleBar::LanguageChange, AppEvent::instance(), &AppEvent::changeLanguge);
}

QPushButton *CMainTitleBar::makeWindowButton(const char *name)
{
    auto *button = new QPushButton(m_topRow);
    button->setObjectName(QString::fromLatin1(name));
    button->setFixedSize(40, 28);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

void CMainTitleBar::setMaxButtonImage(bool maximised)
{
    m_maxButton->setStyleSheet(maximised ? kNormalStyle : kMaxStyle);
}

void CMainTitleBar::setButtonWidths(const QString &lang)
{
    int extra = 0;
    const QStringList *labels = nullptr;
    if (lang == QLatin1String("CN")) {
        labels = &m_cnLabels;
        extra = 30;
    } else if (lang == QLatin1String("EN")) {
        labels = &m_enLabels;
        extra = 20;
    } else {
        return;
    }
    for (int i = 0; i < m_widthButtons.size(); ++i) {
        QPushButton *button = m_widthButtons.at(i);
        button->ensurePolished();
        button->setFixedWidth(button->fontMetrics().horizontalAdvance(labels->at(i)) + extra);
    }
}

void CMainTitleBar::retranslateUi()
{
    m_title->setText(tr("分布式配置软件"));
    for (int i = 0; i < m_commandButtons.size(); ++i)
        m_commandButtons.at(i)->setText(tr(m_sourceLabels.at(i)));
}

void CMainTitleBar::onPushButtonNormalMax()
{
    if (!m_mainWindow)
        return;
    if (!m_mainWindow->isMaximized()) {
        m_mainWindow->showMaximized();
        emit sigWindowSizeChange(true);
        setMaxButtonImage(true);
    } else {
        m_mainWindow->showNormal();
        emit sigWindowSizeChange(false);
        setMaxButtonImage(false);
    }
}

void CMainTitleBar::onPushButtonClose()
{
    if (m_mainWindow)
        m_mainWindow->close();
    QApplication::quit();
}

void CMainTitleBar::onPushButtonMin()
{
    if (m_mainWindow)
        m_mainWindow->showMinimized();
}

void CMainTitleBar::onMoreButton()
{
    QMenu menu(this);
    // At least the classic width; wider when a language's texts and the submenu arrows need it.
    menu.setMinimumWidth(110);
    QAction *language = menu.addAction(QIcon(), tr("语言"));
    QMenu sub(tr("子菜单"), &menu);
    auto *languages = new QActionGroup(&sub);
    QAction *chinese = sub.addAction(tr("中文(Chinese)"));
    QAction *english = sub.addAction(tr("英语(English)"));
    const bool inEnglish = CAppConfig::instance()->language() == QLatin1String("EN");
    for (QAction *action : {chinese, english}) {
        action->setCheckable(true);
        languages->addAction(action);
    }
    (inEnglish ? english : chinese)->setChecked(true);
    language->setMenu(&sub);
    QMenu exportMenu(tr("导出列表"), &menu);
    QAction *exportShown = exportMenu.addAction(tr("显示的节点"));
    QAction *exportAll = exportMenu.addAction(tr("所有节点"));
    menu.addMenu(&exportMenu);
    QMenu refreshMenu(tr("自动刷新"), &menu);
    auto *refreshGroup = new QActionGroup(&refreshMenu);
    const int current = CAppConfig::instance()->autoRefreshSeconds();
    QList<int> choices{0, 5, 10, 30, 60, 300};
    if (!choices.contains(current)) // a value set in the file by hand
        choices.append(current);
    std::sort(choices.begin(), choices.end());
    for (const int seconds : qAsConst(choices)) {
        QAction *action = refreshMenu.addAction(seconds == 0 ? tr("关闭") : tr("每%1秒").arg(seconds));
        action->setCheckable(true);
        action->setChecked(seconds == current);
        refreshGroup->addAction(action);
        connect(action, &QAction::triggered, this, [this, seconds] { emit sigAutoRefresh(seconds); });
    }
    menu.addMenu(&refreshMenu);
    QMenu cards(tr("网卡"), &menu);
    menu.addMenu(&cards);
    emit sigCardMenu(&cards);
    QAction *history = menu.addAction(tr("历史记录"));
    QAction *saveInventory = menu.addAction(tr("保存清单"));
    saveInventory->setObjectName(QStringLiteral("saveInventoryAction"));
    QAction *compareInventory = menu.addAction(tr("对比清单"));
    compareInventory->setObjectName(QStringLiteral("compareInventoryAction"));
    QAction *about = menu.addAction(tr("关于"));

    connect(chinese, &QAction::triggered, this, [this] { onLanguageSelected(QStringLiteral("CN")); });
    connect(english, &QAction::triggered, this, [this] { onLanguageSelected(QStringLiteral("EN")); });
    connect(about, &QAction::triggered, this, &CMainTitleBar::onAbout);
    connect(exportShown, &QAction::triggered, this, [this] { emit sigExportList(true); });
    connect(exportAll, &QAction::triggered, this, [this] { emit sigExportList(false); });
    connect(history, &QAction::triggered, this, &CMainTitleBar::sigShowHistory);
    connect(saveInventory, &QAction::triggered, this, &CMainTitleBar::sigSaveInventory);
    connect(compareInventory, &QAction::triggered, this, &CMainTitleBar::sigCompareInventory);

    menu.exec(m_topRow->mapToGlobal(QPoint(m_moreButton->x(), m_topRow->height())));
}

void CMainTitleBar::showCommandRunning(menuType type, bool running)
{
    if (type < 0 || type >= m_commandButtons.size())
        return;
    if (running)
        m_runningCommand = type;
    else if (m_runningCommand == type)
        m_runningCommand = -1;
    m_commandButtons.at(type)->setChecked(running);
}

void CMainTitleBar::onLanguageSelected(const QString &code)
{
    setButtonWidths(code);
    emit LanguageChange(code);
    emit sigLanguageChange(code);
}

bool CMainTitleBar::eventFilter(QObject *watched, QEvent *event)
{
    // The window does not drag from the command row, and a double-click there does not maximise.
    if (watched == m_commandRow
        && (event->type() == QEvent::MouseMove || event->type() == QEvent::MouseButtonDblClick)) {
        event->accept();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void CMainTitleBar::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && m_topRow->geometry().contains(event->pos())) {
        onPushButtonNormalMax();
        event->accept();
        return;
    }
    QWidget::mouseDoubleClickEvent(event);
}

void CMainTitleBar::enterEvent(QEvent *event)
{
    if (m_mainWindow)
        m_mainWindow->setCursor(Qt::ArrowCursor);
    QWidget::enterEvent(event);
}

void CMainTitleBar::paintEvent(QPaintEvent *)
{
    QStyleOption option;
    option.initFrom(this);
    QPainter painter(this);
    style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, this);
}
