#pragma once

#include <map>
#include <vector>

#include <QString>
#include <QUrl>

// The help that ships inside the program: one HTML page per help context, listed with its
// context number in the resources' contexts.txt, plus the index and the page on the help
// window itself. Pages link each other by their bare names.
class HelpTopics {
public:
    static constexpr char kIndexPage[] = "index.html";
    static constexpr char kUsingHelpPage[] = "using-help.html";

    // The topics as compiled into the program, read once.
    static const HelpTopics& Shipped();

    // Reads a topic list ("context page" lines, '#' comments) and the pages from `folder`
    // (a resource or disk path ending in '/').
    explicit HelpTopics(const QString& folder);

    // The page of a help context; empty when no page has that number.
    [[nodiscard]] QString PageOf(int context) const;
    [[nodiscard]] const std::map<int, QString>& Contexts() const { return m_contexts; }
    // Every page: the index, the page on using help, then the listed pages in their order.
    [[nodiscard]] const std::vector<QString>& Pages() const { return m_pages; }
    [[nodiscard]] QUrl UrlOf(const QString& page) const;
    // The page's <title>; the page's name when it has none or is missing.
    [[nodiscard]] QString TitleOf(const QString& page) const;
    // The page's HTML; empty when the page is missing.
    [[nodiscard]] QString HtmlOf(const QString& page) const;

    struct Hit {
        QString page;
        QString title;
    };
    // The pages besides the index whose text holds every word of `words` (blank-separated,
    // case ignored, each found where a word begins), by title; none for a search of no words.
    [[nodiscard]] std::vector<Hit> Search(const QString& words) const;
    // A page listing the hits of a search as links, for the help window.
    [[nodiscard]] QString SearchPage(const QString& words) const;

private:
    struct Page {
        QString title;
        QString text; // the page as plain text, in lower case, for searching
    };

    QString m_folder;
    std::map<int, QString> m_contexts;
    std::vector<QString> m_pages;
    std::map<QString, Page> m_loaded;
};
