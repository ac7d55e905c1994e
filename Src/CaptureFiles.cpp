#include <CaptureFiles.h>

#include <ErrorBox.h>
#include <FileNames.h>
#include <LogExport.h>
#include <ProgressSlices.h>
#include <RecentFiles.h>
#include <SessionModel.h>

#include <velora_session/CaptureLoader.h>

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

CaptureFiles::CaptureFiles(QWidget* window, SessionModel& session, QMenu* recentMenu)
    : QObject(window)
    , window(window)
    , session(session)
    , recent(new RecentFiles(recentMenu, this)) {
    connect(recent, &RecentFiles::open, this, &CaptureFiles::openRecent);
}

QString CaptureFiles::askCaptureToOpen() {
    return QFileDialog::getOpenFileName(
        window, tr("Открыть запись"), QString(),
        tr("Записи линии (*.pcap *.pcapng *.bin *.raw);;Все файлы (*)"));
}

bool CaptureFiles::load(const QString& path, const FrameSink& sink) {
    emit captureOpening(path);
    CaptureLoader loader;
    ProgressSlices progress(window, tr("Открытие записи %1…").arg(QFileInfo(path).fileName()),
                            std::uint64_t(QFileInfo(path).size()));
    const bool loaded = loader.load(path.toStdString(), sink, progress.stepper());
    progress.finish();
    session.store().setEnding(loader.unfinished());
    cancelled = loader.cancelled();
    if (cancelled) {
        emit statusMessage(tr("Открытие прервано: показано то, что успело прочитаться"), 30000);
    }
    if (!loaded) {
        showErrorBox(window, tr("Не удалось прочитать запись %1").arg(path),
                     QString::fromStdString(loader.problem()));
        return false;
    }
    recent->add(path);
    if (!loader.doubt().empty()) {
        warnOfDoubt(path, loader.doubt());
    }
    if (!loader.problem().empty()) {
        showErrorBox(window,
                     tr("Запись %1 повреждена; показано всё, что удалось прочитать.").arg(path),
                     QString::fromStdString(loader.problem()));
    }
    return true;
}

void CaptureFiles::warnOfDoubt(const QString& path, const std::string& doubt) {
    QMessageBox box(QMessageBox::Warning, tr("Запись"),
                    QStringLiteral("%1: %2").arg(path, QString::fromStdString(doubt)),
                    QMessageBox::Ok, window);
    box.setInformativeText(tr("Байты файла показаны так, как их разобрал декодер."));
    box.exec();
}

bool CaptureFiles::save(const Ending& ending) {
    QString path = QFileDialog::getSaveFileName(window, tr("Сохранить запись как"), QString(),
                                                tr("Записи pcap (*.pcap)"));
    if (path.isEmpty()) {
        return false;
    }
    path = withSuffix(path, QStringLiteral("pcap"));
    std::string error;
    std::vector<velora_protocol::Frame> last;
    if (ending) {
        last = ending();
    }
    SessionStore& store = session.store();
    ProgressSlices progress(window, tr("Сохранение записи…"), store.size());
    const bool saved = store.save(path.toStdString(), error, progress.stepper(), last);
    progress.finish();
    if (!saved) {
        reportUnwritten(progress, tr("Не удалось сохранить запись %1").arg(path),
                        QString::fromStdString(error));
        return false;
    }
    recent->add(path);
    showWritten(tr("Запись сохранена: %1"), path);
    emit captureSaved(path);
    return true;
}

void CaptureFiles::exportLog() {
    const QString tsv = tr("Текст с табуляциями (*.tsv)");
    QString chosen;
    QString path = QFileDialog::getSaveFileName(window, tr("Экспорт журнала"), QString(),
                                                tsv + ";;" + tr("CSV (*.csv)"), &chosen);
    if (path.isEmpty()) {
        return;
    }
    path = withSuffix(path, chosen == tsv ? QStringLiteral("tsv") : QStringLiteral("csv"));
    QString error;
    ProgressSlices progress(window, tr("Экспорт журнала…"), session.sessionRows());
    const bool written = LogExport::write(session, path, error, progress.stepper());
    progress.finish();
    if (!written) {
        reportUnwritten(progress, tr("Не удалось записать %1").arg(path), error);
        return;
    }
    showWritten(tr("Журнал записан: %1"), path);
}

void CaptureFiles::reportUnwritten(const ProgressSlices& progress, const QString& text,
                                   const QString& details) {
    if (progress.cancelled()) {
        emit statusMessage(tr("Отменено: файл не записан"), 30000);
    } else {
        showErrorBox(window, text, details);
    }
}

void CaptureFiles::showWritten(const QString& text, const QString& path) {
    emit statusMessage(text.arg(QDir::toNativeSeparators(path)), 30000);
}
