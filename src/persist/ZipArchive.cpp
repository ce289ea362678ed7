#include "persist/ZipArchive.h"

#include <zip.h>

#include <QCoreApplication>

namespace {
QString ZipErrorText(zip_error_t* e) {
    return QString::fromLocal8Bit(zip_error_strerror(e));
}
QString ZipErrorText(int code) {
    zip_error_t e;
    zip_error_init_with_code(&e, code);
    const QString text = ZipErrorText(&e);
    zip_error_fini(&e);
    return text;
}
} // namespace

struct TZipReader::TImpl {
    zip_t* archive = nullptr;
    ~TImpl() {
        if (archive) zip_discard(archive);
    }
};

TZipReader::TZipReader() : d(std::make_unique<TImpl>()) {}
TZipReader::~TZipReader() = default;

bool TZipReader::Open(const QByteArray& bytes, QString* error) {
    if (d->archive) {
        zip_discard(d->archive);
        d->archive = nullptr;
    }
    zip_error_t e;
    zip_error_init(&e);
    zip_source_t* source =
        zip_source_buffer_create(bytes.constData(), zip_uint64_t(bytes.size()), 0, &e);
    if (!source) {
        if (error) *error = ZipErrorText(&e);
        zip_error_fini(&e);
        return false;
    }
    d->archive = zip_open_from_source(source, ZIP_RDONLY, &e);
    if (!d->archive) {
        zip_source_free(source);
        if (error) *error = ZipErrorText(&e);
        zip_error_fini(&e);
        return false;
    }
    zip_error_fini(&e);
    return true;
}

QStringList TZipReader::Names() const {
    QStringList names;
    if (!d->archive) return names;
    const zip_int64_t n = zip_get_num_entries(d->archive, 0);
    for (zip_int64_t i = 0; i < n; ++i)
        if (const char* name = zip_get_name(d->archive, zip_uint64_t(i), ZIP_FL_ENC_GUESS))
            names << QString::fromUtf8(name);
    return names;
}

bool TZipReader::Contains(const QString& name) const {
    return d->archive && zip_name_locate(d->archive, name.toUtf8().constData(), 0) >= 0;
}

bool TZipReader::Stream(const QString& name, qint64 limit,
                        const std::function<bool(const char*, qsizetype)>& chunk,
                        QString* error) const {
    auto fail = [&](const QString& reason) {
        if (error) *error = name + QStringLiteral(": ") + reason;
        return false;
    };
    if (!d->archive) return fail(QCoreApplication::translate("ZipArchive", "kein Archiv"));
    zip_file_t* file = zip_fopen(d->archive, name.toUtf8().constData(), 0);
    if (!file) return fail(ZipErrorText(zip_get_error(d->archive)));
    char buffer[64 * 1024];
    qint64 total = 0;
    bool ok = true;
    for (;;) {
        const zip_int64_t got = zip_fread(file, buffer, sizeof buffer);
        if (got < 0) {
            ok = fail(ZipErrorText(zip_file_get_error(file)));
            break;
        }
        if (got == 0) break;
        total += got;
        if (total > limit) {
            ok = fail(QCoreApplication::translate("ZipArchive", "mehr als %1 MB entpackt")
                          .arg(limit / (1024 * 1024)));
            break;
        }
        if (!chunk(buffer, qsizetype(got))) break;
    }
    zip_fclose(file);
    return ok;
}

bool TZipReader::Read(const QString& name, qint64 limit, QByteArray* data, QString* error) const {
    data->clear();
    return Stream(
        name, limit,
        [data](const char* bytes, qsizetype size) {
            data->append(bytes, size);
            return true;
        },
        error);
}

QByteArray ZipPackage(const TZipEntries& entries, QString* error) {
    zip_error_t e;
    zip_error_init(&e);
    auto fail = [&](const QString& reason) {
        if (error) *error = reason;
        zip_error_fini(&e);
        return QByteArray();
    };
    zip_source_t* target = zip_source_buffer_create(nullptr, 0, 0, &e);
    if (!target) return fail(ZipErrorText(&e));
    zip_t* archive = zip_open_from_source(target, ZIP_TRUNCATE, &e);
    if (!archive) {
        zip_source_free(target);
        return fail(ZipErrorText(&e));
    }
    zip_source_keep(target); // read back after the archive is closed
    for (const auto& [name, data] : entries) {
        zip_source_t* s =
            zip_source_buffer(archive, data.constData(), zip_uint64_t(data.size()), 0);
        const zip_int64_t index =
            s ? zip_file_add(archive, name.toUtf8().constData(), s, ZIP_FL_ENC_UTF_8) : -1;
        // The fastest deflate: packages are written while the operator waits, and their XML
        // shrinks well at any level.
        if (index < 0 ||
            zip_set_file_compression(archive, zip_uint64_t(index), ZIP_CM_DEFLATE, 1) < 0) {
            if (s && index < 0) zip_source_free(s); // once added, the archive owns it
            const QString reason = ZipErrorText(zip_get_error(archive));
            zip_discard(archive);
            zip_source_free(target);
            return fail(reason);
        }
    }
    if (zip_close(archive) < 0) {
        const QString reason = ZipErrorText(zip_get_error(archive));
        zip_discard(archive);
        zip_source_free(target);
        return fail(reason);
    }
    QByteArray bytes;
    zip_stat_t st;
    if (zip_source_open(target) < 0) {
        zip_source_free(target);
        return fail(ZipErrorText(ZIP_ER_INTERNAL));
    }
    zip_source_stat(target, &st);
    bytes.resize(qsizetype(st.size));
    const zip_int64_t got = zip_source_read(target, bytes.data(), st.size);
    zip_source_close(target);
    zip_source_free(target);
    if (got != zip_int64_t(st.size)) return fail(ZipErrorText(ZIP_ER_READ));
    zip_error_fini(&e);
    return bytes;
}
