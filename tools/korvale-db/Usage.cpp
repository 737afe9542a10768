#include "tools/korvale-db/Commands.h"

#include "store/ClientRecord.h"

namespace korvale::tool {

void printUsage(std::ostream& out) {
    out << "Usage: korvale-db init [DIR]\n"
           "       korvale-db upgrade [DIR]\n"
           "       korvale-db export [DIR] [--format vcard|vcard3|csv] [-o FILE]\n"
           "       korvale-db import [DIR] FILE [--dry-run]\n"
           "       korvale-db history [DIR] [NAME]\n"
           "       korvale-db restore [DIR] ID\n"
           "       korvale-db forget [DIR] NAME\n"
           "       korvale-db sync [DIR] [URL] [--user NAME] [--addressbook NAME] [--allow-plain-http]\n"
           "                       [--allow-mass-delete] [--save-password]\n"
           "       korvale-db sync [DIR] [--forget-password] [--forget-account]\n"
           "       korvale-db --help\n"
           "\n"
           "DIR is the folder of the book, DIR/"
        << kBookFileName
        << ". Left out, it is the folder where korvale looks for its book:\n"
           "beside this program in a build tree or a portable folder; $XDG_DATA_HOME/korvale/\n"
           "(~/.local/share/korvale/ by default) for the installed program.\n"
           "\n"
           "init     Create an empty book: table CLIENT_RECORDS of nine text columns, an index on Name,\n"
           "         the history of changes and deletes, WAL journal, readable by its owner only (0600).\n"
           "         An existing book is never touched. Without DIR the usual folder is made if missing.\n"
           "upgrade  Add the history and the sync tables to a book made without them (one transaction;\n"
           "         a busy book is refused).\n"
           "export   Write every contact to standard output or FILE: vCard 4.0 (vcard, the default),\n"
           "         vCard 3.0 (vcard3) or CSV with a header of the nine column names (csv).\n"
           "import   Add the contacts of a vCard (2.1, 3.0, 4.0) or CSV file in one transaction: a file\n"
           "         that cannot be read adds nothing. --dry-run reports without writing.\n"
           "history  List the kept versions of changed and deleted contacts, or those of NAME. A lone\n"
           "         word is the book's folder when it holds a book, and a NAME otherwise.\n"
           "restore  Put kept version ID back; the values it replaces are kept in turn.\n"
           "forget   Remove NAME's contacts and kept versions for good, leaving no trace in the file.\n"
           "sync     Bring the book and a CardDAV address book into step, both ways. URL is the server\n"
           "         or the address book; left out, the server and user the book remembers. The password\n"
           "         is $KORVALE_PASSWORD, else the desktop's keyring, else asked for, and goes only to\n"
           "         the URL's scheme, host and port. --save-password keeps it in the keyring once the\n"
           "         server took it, --forget-password removes it, --forget-account drops the book's\n"
           "         server, user and sync state.\n"
           "--help   Show this text; man korvale-db tells every command and option in full.\n";
}

}  // namespace korvale::tool
