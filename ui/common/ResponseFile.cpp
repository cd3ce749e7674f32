// SPDX-License-Identifier: MIT
#include "ui/common/ResponseFile.h"

#include "chart/ChartEngine.h"
#include "core/numbers/Unidades.h"
#include "core/numbers/NumberText.h"

#include <QSaveFile>

#include <cerrno>
#include <charconv>
#include <cstring>
#include <stdexcept>

namespace nc {
namespace {

void AppendDigits(std::string& out, double value)
{
    char buffer[32];
    const auto r = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 17);
    out.append(buffer, r.ptr);
}

[[noreturn]] void Fail(const QString& path, const QString& reason)
{
    throw std::runtime_error(QStringLiteral("No se pudo guardar el archivo «%1»: %2").arg(path, reason).toStdString());
}

} // namespace

std::string ResponseTsv(const TChartSeries& posicion, const TChartSeries& referencia)
{
    const NumberFormat punto{".", ""};
    std::string out = "muestra\ttiempo\tposicion\treferencia\n";
    // Both curves get their points together, one per sample, so rows pair up
    // by index.
    for (int i = 0; i < posicion.Count(); ++i) {
        const double muestra = posicion.XValue(i);
        AppendDigits(out, muestra);
        out += '\t';
        out += SampleTime(muestra, punto);
        out += '\t';
        AppendDigits(out, posicion.YValue(i));
        out += '\t';
        if (i < referencia.Count())
            AppendDigits(out, referencia.YValue(i));
        out += '\n';
    }
    return out;
}

std::string SampleTime(double muestra, const NumberFormat& format)
{
    return FormatGeneral(muestra * kPeriodo, format);
}

void SaveAtomically(const QString& path, const std::function<bool(QIODevice&)>& write)
{
    // QSaveFile writes to a temporary file beside the target and renames it at
    // commit; without a commit the temporary file is removed.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        Fail(path, file.errorString());
    // QSaveFile buffers what it is given and writes it out in commit(), which
    // does not look at that write's failure (a full disk, a size limit): it
    // would rename the cut file over the target. The explicit flush writes it
    // out here, where a failure can still abandon the temporary file.
    // A write cut short after part of a block has gone out (the size limit
    // reached mid-block) leaves Qt with no reason of its own ("Unknown
    // error"); the system's is still in errno then.
    errno = 0;
    if (!write(file) || !file.flush()) {
        const int cause = errno;
        const QString reason = cause != 0 ? QString::fromLocal8Bit(std::strerror(cause)) : file.errorString();
        file.cancelWriting();
        Fail(path, reason);
    }
    if (!file.commit())
        Fail(path, file.errorString());
}

} // namespace nc
