#pragma once

#include <QWidget>

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

enum class ProgressKind : int {
    Import = 0,
    Export = 1,
    Upgrade = 2,
};

// One node's row in a bulk operation: address, bar, percentage, result and retry.
class CProgressListItem : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CProgressListItem)

public:
    static constexpr int kTickMs = 100;
    static constexpr int kLastTick = 51;

    // realProgress: the owner feeds byte counts; otherwise the row animates by itself.
    CProgressListItem(const QString &ip, bool realProgress, QWidget *parent = nullptr);
    ~CProgressListItem() override;

    void setKind(ProgressKind kind) { m_kind = kind; }
    ProgressKind kind() const { return m_kind; }
    void setResultCode(int code) { m_resultCode = code; }
    int resultCode() const { return m_resultCode; }
    void setTotalSize(qint64 bytes) { m_totalSize = bytes; }

    void startRow();
    void setTransferredBytes(qint64 bytes);
    void showResult();
    // A field of its own beside the address (an upgrade's verification); hidden while empty,
    // so a row without one looks as it always did. tone: 0 neutral, 1 good, 2 bad.
    void setNote(const QString &text, int tone = 0);
    // Ends the animation now: a result already in shows, a pending row keeps its running text.
    void stopAnimation();
    bool hasResult() const { return m_style != RowStyle::Normal; }
    bool succeeded() const { return m_style == RowStyle::Success; }

    QString ip() const;
    int tickCount() const { return m_tick; }
    bool isAnimating() const;

    QProgressBar *progressBar() const { return m_bar; }
    QLabel *resultLabel() const { return m_resultLabel; }
    QLabel *percentLabel() const { return m_percentLabel; }
    QLabel *noteLabel() const { return m_noteLabel; }
    QPushButton *retryButton() const { return m_retryButton; }

signals:
    void sigRetry(QString ip);

public slots:
    void onTimer();

private:
    enum class RowStyle { Normal, Success, Failed };
    void applyStyle(RowStyle style);
    void updatePercent(int value);

    QTimer *m_timer = nullptr;
    int m_tick = 0;
    qint64 m_totalSize = 0;
    QProgressBar *m_bar = nullptr;
    QPushButton *m_retryButton = nullptr;
    QLabel *m_iconLabel = nullptr;
    QLabel *m_resultLabel = nullptr;
    QLabel *m_nameLabel = nullptr;
    QLabel *m_percentLabel = nullptr;
    QLabel *m_noteLabel = nullptr;
    QString m_ip; // as given: what sigRetry carries
    RowStyle m_style = RowStyle::Normal;
    bool m_realProgress = false;
    ProgressKind m_kind = ProgressKind::Import;
    int m_resultCode = 0;
};
