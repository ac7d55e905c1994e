#include <LogExport.h>

#include <SessionModel.h>

#include <QRegularExpression>
#include <QSaveFile>
#include <QTextStream>

QString LogExport::csvField(const QString& text) {
    if (!text.contains(QRegularExpression(QStringLiteral("[\",\\n]")))) {
        return text;
    }
    QString quoted = text;
    quoted.replace('"', QStringLiteral("\"\""));
    return '"' + quoted + '"';
}

bool LogExport::write(const SessionModel& model, const QString& path, QString& error,
                      const std::function<bool(std::uint64_t rows)>& progress) {
    const bool csv = path.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        error = file.errorString();
        return false;
    }
    QTextStream out(&file);
    out.setCodec("UTF-8");
    auto line = [&](QStringList fields) {
        if (csv) {
            for (QString& field : fields) {
                field = csvField(field);
            }
        }
        out << fields.join(csv ? ',' : '\t') << '\n';
    };
    QStringList names;
    for (const int column :
         {SessionModel::TimeColumn, SessionModel::MarkerColumn, SessionModel::AddressColumn,
          SessionModel::TextColumn, SessionModel::RawDataColumn}) {
        names << model.headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
    }
    line(names);
    for (std::uint64_t row = 0, rows = model.sessionRows(); row < rows; ++row) {
        if (progress && row % kProgressEvery == 0 && !progress(row)) {
            file.cancelWriting();
            error.clear();
            return false;
        }
        line(model.fields(row));
    }
    out.flush();
    if (!file.commit()) {
        error = file.errorString();
        return false;
    }
    return true;
}
