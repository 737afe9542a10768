#include "app/StartUp.h"

#include <QString>
#include <system_error>

#include "app/ErrorReport.h"
#include "app/MessageBoxes.h"
#include "store/BookSchema.h"
#include "store/ClientStore.h"
#include "store/StoreError.h"

namespace {

bool offerNewBook(const std::filesystem::path& file) {
    const QString text =
        QStringLiteral("There is no contact book at %1 yet.\n\nCreate an empty book there now?")
            .arg(QString::fromStdString(file.string()));
    return MessageBoxes::show(nullptr, text, BoxButtons::YesNo, BoxIcon::Question) == MessageBoxes::kYes;
}

}  // namespace

StartUp StartUp::run(const std::filesystem::path& named, const std::filesystem::path& programDir,
                     const std::filesystem::path& installedDir) {
    try {
        const auto book = korvale::BookLocation::find(programDir, named, installedDir);
        const std::filesystem::path file = korvale::ClientStore::bookPath(book.dir);
        std::error_code ec;
        if (book.place != korvale::BookLocation::Place::BesideProgram && !std::filesystem::exists(file, ec)) {
            if (!offerNewBook(file)) return {};
            book.makeFolder();
            korvale::createBook(file);
        }
        return {std::make_unique<KorvaleApplication>(QString::fromStdString(book.dir.string()))};
    } catch (const korvale::StoreError& e) {
        reportFailure(nullptr, e);
        return {nullptr, 1};
    }
}
