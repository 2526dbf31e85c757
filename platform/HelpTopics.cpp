// The help pages compiled into the program, found by help context or by their words.
#include "HelpTopics.h"

#include <algorithm>

#include <QFile>
#include <QRegularExpression>
#include <QTextDocument>

namespace {

QString ReadText(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

} // namespace

static void LoadHelpResources() {
    Q_INIT_RESOURCE(help);
}

const HelpTopics& HelpTopics::Shipped() {
    static const HelpTopics topics = [] {
        LoadHelpResources();
        return HelpTopics(":/help/");
    }();
    return topics;
}

HelpTopics::HelpTopics(const QString& folder) : m_folder(folder) {
    m_pages = {kIndexPage, kUsingHelpPage};
    const QStringList lines = ReadText(folder + "contexts.txt").split('\n');
    for (const QString& raw : lines) {
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const QStringList fields = line.split(' ', Qt::SkipEmptyParts);
        bool number = false;
        const int context = fields.size() == 2 ? fields[0].toInt(&number) : 0;
        if (!number)
            continue;
        m_contexts[context] = fields[1];
        if (std::find(m_pages.begin(), m_pages.end(), fields[1]) == m_pages.end())
            m_pages.push_back(fields[1]);
    }
    for (const QString& page : m_pages) {
        QTextDocument document;
        document.setHtml(HtmlOf(page));
        const QString title = document.metaInformation(QTextDocument::DocumentTitle);
        m_loaded[page] = {title.isEmpty() ? page : title, document.toPlainText().toLower()};
    }
}

QString HelpTopics::PageOf(int context) const {
    const auto found = m_contexts.find(context);
    return found != m_contexts.end() ? found->second : QString();
}

QUrl HelpTopics::UrlOf(const QString& page) const {
    return m_folder.startsWith(':') ? QUrl("qrc" + m_folder + page)
                                    : QUrl::fromLocalFile(m_folder + page);
}

QString HelpTopics::TitleOf(const QString& page) const {
    const auto found = m_loaded.find(page);
    return found != m_loaded.end() ? found->second.title : page;
}

QString HelpTopics::HtmlOf(const QString& page) const {
    return ReadText(m_folder + page);
}

std::vector<HelpTopics::Hit> HelpTopics::Search(const QString& words) const {
    // Each word is looked for where a word of the page begins: "tran" finds "transient",
    // "gain" does not find "again".
    std::vector<QRegularExpression> wanted;
    for (const QString& word :
         words.toLower().split(QRegularExpression("\\s+"), Qt::SkipEmptyParts)) {
        const QString start = word.front().isLetterOrNumber() ? "\\b" : "";
        wanted.emplace_back(start + QRegularExpression::escape(word));
    }
    std::vector<Hit> hits;
    if (wanted.empty())
        return hits;
    for (const QString& page : m_pages) {
        if (page == kIndexPage)
            continue; // it names every page
        const Page& loaded = m_loaded.at(page);
        const bool all =
            std::all_of(wanted.begin(), wanted.end(), [&](const QRegularExpression& word) {
                return loaded.text.contains(word) || loaded.title.toLower().contains(word);
            });
        if (all)
            hits.push_back({page, loaded.title});
    }
    std::stable_sort(hits.begin(), hits.end(), [](const Hit& a, const Hit& b) {
        return QString::compare(a.title, b.title, Qt::CaseInsensitive) < 0;
    });
    return hits;
}

QString HelpTopics::SearchPage(const QString& words) const {
    const std::vector<Hit> hits = Search(words);
    const QString shown = words.simplified().toHtmlEscaped();
    QString html = "<html><head><title>Search: " + shown + "</title></head><body>";
    html += "<h1>Search: " + shown + "</h1>";
    if (hits.empty()) {
        html += "<p>No page holds all of these words.</p>";
    } else {
        html += QString("<p>%1 %2 all of these words:</p><ul>")
                    .arg(hits.size())
                    .arg(hits.size() == 1 ? "page holds" : "pages hold");
        for (const Hit& hit : hits)
            html += "<li><a href=\"" + UrlOf(hit.page).toString() + "\">" +
                    hit.title.toHtmlEscaped() + "</a></li>";
        html += "</ul>";
    }
    html += "<p><a href=\"" + UrlOf(kIndexPage).toString() + "\">Help index</a></p>";
    return html + "</body></html>";
}
