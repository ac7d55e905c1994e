#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;

// The search line under the log: text or hexadecimal bytes, Enter or F3 for the next hit,
// Shift+F3 for the previous one, Esc closes it.
class FindBar : public QWidget {
    Q_OBJECT
public:
    explicit FindBar(QWidget* parent = nullptr);

    QString query() const;
    // Whether the last search found nothing.
    void showResult(bool found);

public slots:
    void open();

signals:
    void find(const QString& query, bool forward);
    void closed();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QLineEdit* edit;
    QLabel* result;
};
