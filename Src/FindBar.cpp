#include <FindBar.h>

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

FindBar::FindBar(QWidget* parent)
    : QWidget(parent)
    , edit(new QLineEdit(this))
    , result(new QLabel(this)) {
    setObjectName(QStringLiteral("findBar"));
    edit->setObjectName(QStringLiteral("findText"));
    edit->setPlaceholderText(tr("Текст или байты (89 00 10)"));
    edit->setClearButtonEnabled(true);
    auto* previous = new QToolButton(this);
    previous->setText(tr("Назад"));
    auto* next = new QToolButton(this);
    next->setText(tr("Далее"));
    auto* close = new QToolButton(this);
    close->setText(QStringLiteral("✕"));

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->addWidget(new QLabel(tr("Найти:"), this));
    layout->addWidget(edit, 1);
    layout->addWidget(previous);
    layout->addWidget(next);
    layout->addWidget(result);
    layout->addWidget(close);

    connect(edit, &QLineEdit::returnPressed, this, [this] { emit find(query(), true); });
    connect(next, &QToolButton::clicked, this, [this] { emit find(query(), true); });
    connect(previous, &QToolButton::clicked, this, [this] { emit find(query(), false); });
    connect(close, &QToolButton::clicked, this, [this] {
        hide();
        emit closed();
    });
    hide();
}

QString FindBar::query() const {
    return edit->text().trimmed();
}

void FindBar::showResult(bool found) {
    result->setText(found ? QString() : tr("не найдено"));
}

void FindBar::open() {
    show();
    edit->setFocus();
    edit->selectAll();
}

void FindBar::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        hide();
        emit closed();
        return;
    }
    QWidget::keyPressEvent(event);
}
