#pragma once

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <QBasicTimer>
#include <QFont>
#include <QFontMetrics>
#include <QString>

#include "CKelvoDoc.h"
#include "CaretModel.h"

class QDialog;
#include "CVirtualScrollView.h"
#include "GlyphTable.h"
#include "SpiceLineStates.h"
#include "ViewDefaults.h"

// Set when a view is destroyed or a program dialog is closed by Cancel: the next drag
// step in a view ends instead of extending the selection.
class QPainter;
class QPrinter;

extern bool g_bIgnoreNextDrag;

// One pane of a child window: the document's text in one display font, with a caret and
// one selection. The two panes of a window are siblings and share the font.
class CKelvoView : public CVirtualScrollView, public CommandTarget {
    Q_OBJECT
public:
    static constexpr int kLeftMargin = 5;

    CKelvoView(CKelvoDoc* document, ViewDefaults* app, QWidget* parent = nullptr);
    ~CKelvoView() override;

    // --- What the view shows, read-only from outside.
    [[nodiscard]] CKelvoDoc* GetDocument() const { return m_pDoc; }
    // The document's store, followed when the document replaces it; null once the
    // document has gone.
    [[nodiscard]] TextStore* GetStore() const { return m_pStore; }
    [[nodiscard]] CKelvoView* Sibling() const { return m_pSibling; }
    [[nodiscard]] const LogFont& GetLogFont() const { return m_logFont; }
    [[nodiscard]] const QFont& Font() const { return *m_pFont; }
    // The font object, shared with the sibling pane.
    [[nodiscard]] const std::shared_ptr<QFont>& SharedFont() const { return m_pFont; }
    [[nodiscard]] QColor TextColor() const { return m_crText; }
    [[nodiscard]] int LineHeight() const { return m_nLineHeight; }
    [[nodiscard]] int CharWidth() const { return m_nCharWidth; }
    [[nodiscard]] int TabStop() const { return m_nTabStop; }
    [[nodiscard]] bool IsOverwrite() const { return m_bOverwrite; }
    // Drags are ignored until the view has been painted once.
    [[nodiscard]] bool IsPainted() const { return m_bPainted; }

    // --- The caret and the selection, kept by the view's caret model.
    // The caret; while a selection is in force, the selection's fixed end.
    [[nodiscard]] TextPos CaretPos() const { return m_caret.Caret(); }
    // The selection's moving end, meaningful while HasSelection().
    [[nodiscard]] TextPos SelEnd() const { return m_caret.SelEnd(); }
    [[nodiscard]] bool HasSelection() const { return m_caret.HasSelection(); }
    TextPos ActiveEnd() const { return m_caret.ActiveEnd(); }
    // Ends any selection and puts the caret at pos, scrolled into view.
    void SetCaretPosition(TextPos pos);
    // The whole line selected, up to the start of the next (a line brought within the
    // text); a line out of sight comes a third of the way down the window.
    void SelectLine(int line);
    // Moves the selection's moving end to pos, starting a selection from the caret when
    // none is in force; nothing happens when pos is the caret. Does not scroll.
    void ExtendSelection(TextPos pos);
    // The text position under a client point: the nearest character boundary, a point on
    // the middle of a character giving the boundary before it. caretOut gets that
    // boundary's client point (not written left of the margin); lineOut the line.
    TextPos PointToPos(QPoint point, QPoint* caretOut = nullptr,
                       const LineRecord** lineOut = nullptr) const;
    // The caret, the selection's ends and the last mouse position brought within the
    // text: the other pane may have shortened it since they were set.
    void KeepPositionsInText() { m_caret.KeepPositionsInText(); }

    // --- The keyboard. A navigation key, Insert or Delete: OnKeyDown; the text of any
    // other key, byte by byte: OnChar. Shift and Ctrl come with the key.
    void OnKeyDown(int key, Qt::KeyboardModifiers modifiers);
    void OnChar(unsigned char ch, Qt::KeyboardModifiers modifiers);
    void MoveUp(bool shift, bool ctrl);
    void MoveDown(bool shift, bool ctrl);
    void MoveLeft(bool shift, bool ctrl);
    void MoveRight(bool shift, bool ctrl);
    void MoveHome(bool ctrl);
    void MoveEnd(bool ctrl);
    void MovePageUp();
    void MovePageDown();
    // Insert: overwrite mode on or off, in both panes.
    void ToggleOverwrite();
    // The bytes a key's text types: each character through the Windows-1252 table. A
    // character the table cannot hold is left out and counted in *refused.
    static std::string TypedBytes(const QString& text, int* refused);

    // --- The mouse, in client points.
    void OnLButtonDown(Qt::KeyboardModifiers modifiers, QPoint point);
    void OnMouseMove(Qt::MouseButtons buttons, QPoint point);
    void OnLButtonUp();
    void OnLButtonDblClk(QPoint point);
    // One tick of the auto-scroll timer.
    void OnTimer();
    // The cursor for a client point: the margin's at x 5 or less, else the I-beam.
    void OnSetCursor(QPoint point);
    [[nodiscard]] bool IsAutoScrolling() const { return m_nTimerId != 0; }
    [[nodiscard]] bool IsAutoScrollSlow() const { return m_bSlowScroll; }
    static constexpr int kAutoScrollTimerId = 102;
    static constexpr int kSlowScrollMs = 300;
    static constexpr int kFastScrollMs = 10;
    // How far outside the window the mouse may be for the slow auto-scroll.
    static constexpr int kSlowScrollBand = 50;

    // --- The Edit menu: the view's commands.
    void OnEditUndo();
    void OnEditRedo();
    void OnEditCut();
    void OnEditCopy();
    void OnEditPaste();
    void OnEditSelectAll();
    void OnUpdateEditUndo(CommandUpdate& update);
    void OnUpdateEditRedo(CommandUpdate& update);
    void OnUpdateNeedSelection(CommandUpdate& update);
    void OnUpdateEditPaste(CommandUpdate& update);

    // --- Printing: File > Print and Print Preview print the text, or the selection, with a
    // header of the document's name and the page number. Sizes on paper follow the screen,
    // scaled by the whole-number ratio of the printer's resolution to the screen's.
    void OnFilePrint();
    void OnFilePrintPreview();
    // Asks how to print (the print dialog; the preview asks nothing): false on Cancel.
    bool OnPreparePrinting(bool preview);
    // Lays out the job on the printer's pages: lines per page and the page count.
    void OnBeginPrinting(QPainter& painter);
    // The header and the lines of one page, 1-based.
    void OnPrint(QPainter& painter, int page);
    void OnEndPrinting();
    // The pages of the printer's range (every page when it has none), onto the printer
    // (or the preview's); returns how many pages the whole job has.
    int PrintPages(QPrinter& printer);
    [[nodiscard]] int PrintPageCount() const { return m_nPrintPageCount; }
    [[nodiscard]] int LinesPerPage() const { return m_nLinesPerPage; }
    // The printer's resolution over the screen's, in whole numbers, never below 1.
    [[nodiscard]] int PrintScale() const;
    // The header's left part: the path (or title), " (Not Saved)" or the file time, its
    // leading folders dropped one at a time, behind "...", until it fits `room` pixels.
    [[nodiscard]] QString PrintTitle(const QFontMetrics& metrics, int room) const;

    // --- The Search menu: Find and Replace with their follow-ups, Go To Line and Open
    // Selection. Each pane keeps its own search state.
    void OnFind();
    void OnReplace();
    void OnFindAgain();
    void OnFindLast();
    void OnReplaceStop();
    void OnReplaceFindAgain();
    void OnGoToLine();
    void OnOpenSelection();
    // Search > Go To Error (F4) and Go To Previous Error (Shift+F4), in a simulator's
    // output or error file: the next message after the selection (or the previous one
    // before it) that names a netlist line is selected whole, and its netlist place shown.
    void OnGoToError();
    void OnGoToPreviousError();
    void OnUpdateGoToError(CommandUpdate& update);
    // A simulator's output or error file: its name ends in .out or .err, in any case.
    [[nodiscard]] bool IsSimulatorOutput() const;
    void OnUpdateNeedSearchText(CommandUpdate& update);
    void OnUpdateReplaceFollowUp(CommandUpdate& update);
    // Go To Definition (F12), for netlists and libraries: the subcircuit, model or
    // parameter at the caret, in this netlist or a file it includes. One definition is
    // selected, several are offered in a list, none beeps and says so in the status bar.
    void OnGoToDefinition();
    void OnUpdateGoToDefinition(CommandUpdate& update);
    // What a Find (forReplace false) or Replace dialog starts with: the selection's part of
    // its first line (for Replace less that line's last character), else the word at the
    // caret.
    [[nodiscard]] std::string InitialSearchText(bool forReplace) const;
    [[nodiscard]] const std::string& SearchText() const { return m_strFind; }
    [[nodiscard]] const std::string& ReplaceText() const { return m_strReplace; }
    [[nodiscard]] bool SearchesForward() const { return m_bSearchForward; }
    [[nodiscard]] bool MatchesCase() const { return m_bMatchCase; }
    [[nodiscard]] bool MatchesWholeWord() const { return m_bWholeWord; }
    [[nodiscard]] bool IsReplaceActive() const { return m_bReplaceActive; }

    // --- Help on the SPICE word that begins a line: its help context, 0 when the line
    // begins with none. HelpHitTest: that of the line under a client point.
    [[nodiscard]] int FindHelpContext(int line) const;
    [[nodiscard]] int HelpHitTest(QPoint point) const;
    // F1, passed on by the child frame: the topic `lParam` names when it is not 0, else
    // that of the caret's line. False when there is neither, for the frame's own help.
    bool OnKeywordHelp(std::intptr_t wParam, std::intptr_t lParam);

signals:
    // The caret moved or overwrite mode changed: the status bar shows them.
    void caretChanged();

public:
    // The first pane sets itself up from the application's defaults; a second pane (made
    // by splitting the window) copies the first and becomes its sibling.
    void OnInitialUpdate(CKelvoView* firstPane);
    void OnInitialUpdate() override { OnInitialUpdate(nullptr); }
    void UpdateScrollSizes();
    // The pane stops being a sibling (its window drops it): both panes go on alone.
    void LeaveSibling();

    // The view's commands: the Edit menu and Options > Font.
    bool OnCommand(int id) override;
    bool OnUpdateCommand(CommandUpdate& update) override;
    void OnOptionsFont();

    // Inverts the selection's highlight: the whole selection, or (newEnd given) only the
    // part between the moving end and newEnd.
    void InvertSelection(const TextPos* newEnd = nullptr);
    // Inverts the highlight of a stretch of text, whether or not it is selected.
    void InvertSpan(CaretModel::Span span);
    // The highlight of the range between two positions, in client pixels.
    std::vector<QRect> SelectionRects(TextPos a, TextPos b) const;

    // Width in pixels of the first n characters of a line, tabs expanded from its start.
    int Extent(const LineRecord* line, int n) const;
    // The widest line's width from what the read found, when that gives it exactly: a text
    // not yet edited, with no tab, in a fixed-pitch font.
    std::optional<int> WidestAsRead() const;
    // The display font made from a font description: its glyphs are hinted to whole
    // pixels, the advances the view measures and draws with.
    static QFont DisplayFont(const LogFont& logFont);
    QPoint PosToPoint(TextPos pos, const LineRecord** lineOut = nullptr) const;
    void ScrollCaretIntoView();
    void ScrollTo(QPoint position);
    // The drawn caret (the platform's system caret): where it stands, in client pixels.
    void SetCaretPixel(QPoint point);
    QPoint CaretPixel() const { return m_ptSystemCaret; }
    bool IsCaretShown() const;

    // The colour of a style on screen; plain text is the view's text colour.
    [[nodiscard]] QColor StyleColour(SpiceStyle style) const;
    // The states of the lines painted so far, for tests and benchmarks.
    [[nodiscard]] const SpiceLineStates& LineStates() const { return m_lineStates; }

    // The lines the last screen paint drew, for tests and benchmarks.
    int LastPaintFirst() const { return m_nLastPaintFirst; }
    int LastPaintLast() const { return m_nLastPaintLast; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    // Tab is typed: it never moves the focus out of the view.
    bool focusNextPrevChild(bool next) override;
    // The left button goes to the On...Button handlers; the cursor follows every move.
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

    // The caret moves with the text it stands in, as the platform's scrolling moves it.
    void OnContentsMoving(QPoint delta) override;

private:
    // The printing branch of drawing: the page's lines, or those of the selection.
    void DrawPrintedLines(QPainter& painter);
    void PrintSelection(QPainter& painter);
    // One printed line's bytes from x, tabs expanded from the margin; the scaled font is
    // the painter's.
    void DrawPrintedText(QPainter& painter, std::string_view bytes, int y) const;
    int PrintedLines() const;

    // The document replaced its store (a reload): the view reads the new one, measured
    // afresh. The change of text that follows brings its positions within it.
    void OnStoreReplaced(TextStore* store);
    // After every change of the text, from this view, the other pane or elsewhere: the
    // widths and scroll range take in the changed lines, and the picture is marked for
    // repainting. The view that made the change repaints only what changed and places its
    // caret itself; any other repaints whole, its positions brought within the text.
    void OnTextChanged(const TextChange& change);
    // Every edit this view makes goes through here, so that it knows the change it is
    // then told about as its own.
    TextPos EditStore(TextPos from, EditKind kind, const char* text, TextPos to = {});
    // The store the view and its caret model read; null once the document has gone.
    void SetStore(TextStore* store);
    void CreateFontAndMeasure();
    // The sibling's font object and measures (the font is shared, not copied).
    void ShareFontOf(const CKelvoView& other);
    // A line's text from x; with `spans`, each run of them in its style's colour.
    void DrawLine(QPainter& painter, const LineRecord* line, int x, int y, int clipRight,
                  const std::vector<SpiceSpan>* spans = nullptr) const;
    // The kind of colouring the document's lines get now: plain when colours are off. The
    // line states are forgotten when it changed (colours switched, a file saved as another
    // kind).
    SpiceKind ColourKind();
    // The kind of the document's file by its name, colours on or off.
    SpiceKind FileKind() const;
    // The tab-expanding walk that measuring and painting share: calls `piece` with each
    // run of at most kPieceBytes bytes without a tab, its x and its width; stops when
    // `piece` returns false. Returns the x where the walk ended.
    template <class Piece> int WalkLine(const LineRecord* line, int n, int x, Piece&& piece) const;
    void NoteWidth(const LineRecord* line);
    void NoteWidths(int firstLine, int lastLine);
    // The widths of lines an edit changed, unless there are so many that the paint had
    // better measure them as it shows them.
    void NoteEditedWidths(int firstLine, int lastLine);
    void MeasureAllLines();
    int TotalWidth() const;
    void RestartCaretBlink();
    // The platform's warning sound, for a key that cannot act.
    void Beep();
    // What a key asked to repaint, painted now.
    void RepaintInvalid();
    // The result of a move: the selection's moving end with Shift, else the caret.
    void MoveResultToCaret(TextPos result, bool shift);
    // Left or Right: a character, or with Ctrl a word, from the active end.
    void MoveSideways(bool right, bool shift, bool ctrl);
    // After a page move or a scroll: the caret on the text now under its old window point,
    // kept inside the window where the text allows.
    void PlaceCaretUnder(QPoint point);
    void OnDeleteKey();
    void OnBackspace();
    void OnEnter(Qt::KeyboardModifiers modifiers);
    void OnTypedChar(unsigned char ch);
    // Deletes the selection through the store (Delete, Backspace, typing, Cut and Paste
    // over a selection) and ends it at the result, refused or not.
    void DeleteSelection();
    // A drag step or timer tick at pos: the moving end goes to pos, or in a whole-line drag
    // the selection covers the clicked line and every line from it to pos's.
    void DragTo(TextPos pos);
    void StartAutoScroll(bool slow);
    void StopAutoScroll();
    // The button was released, or the view lost the focus under it.
    void EndDrag();
    // The search string from start, forward or backward; on a match start and end are the
    // match's ends. An empty search string never matches.
    // Runs one of the Search menu's dialogs; nothing when the view or its document went
    // while the dialog was open.
    std::optional<int> RunSearchDialog(QDialog& dialog);
    bool SearchFrom(bool forward, TextPos& start, TextPos& end) const;
    // The match becomes the selection, its start the fixed end, scrolled into view.
    void SelectMatch(TextPos start, TextPos end);
    // The next match from the caret (and the selection's moving end) selected, or a beep.
    void SelectNextMatch(bool forward);
    // Find Again in a direction: from the selection's far end that way, or the caret.
    void FindInDirection(bool forward);
    // The message headed on `line` selected whole and its netlist place shown: false when
    // the line heads no message that names one.
    bool GoToMessage(int line);
    void GoToError(bool forward);
    // Every match from the caret to the end replaced; returns how many.
    int ReplaceAllFromCaret();
    // The lesser and greater ends of the selection, the greater one brought onto the
    // first line (at its end less `shortenBy` characters) when it lies on a later line.
    std::pair<TextPos, TextPos> FirstLineOfSelection(int shortenBy) const;
    // Undo or Redo: one step of the store's history, replayed and repainted.
    void ReplayStep(std::optional<UndoStep> (TextStore::*replay)());

    std::unique_ptr<GlyphTable> m_glyphs; // made from m_pFont, for this view's window
    int m_nWidestLine = 0;                // pixels, tabs expanded
    QPoint m_ptSystemCaret{kLeftMargin, 0};
    bool m_bCaretBlinkOn = true;
    QBasicTimer m_caretBlink;
    SpiceLineStates m_lineStates;
    std::vector<SpiceSpan> m_spans; // one painted line's runs, kept for its capacity
    int m_nLastPaintFirst = -1;
    int m_nLastPaintLast = -1;

    LogFont m_logFont;
    TextStore* m_pStore = nullptr;
    QColor m_crText;
    ViewDefaults* m_pApp;
    CKelvoDoc* m_pDoc;
    CKelvoView* m_pSibling = nullptr;
    int m_nTabStop = 0;
    int m_nTabSize = 4;
    std::shared_ptr<QFont> m_pFont; // shared with the sibling; the last view to go frees it
    int m_nLineHeight = 1;
    int m_nCharWidth = 1;
    CaretModel m_caret;          // the caret, the selection and the last mouse position
    QPoint m_ptCaret{0, 0};      // the caret in client pixels
    bool m_bDragMoved = false;   // the left button moved since it went down
    QPoint m_ptAutoScroll{0, 0}; // where the mouse left the window, one pixel outside
    int m_nTimerId = 0;          // kAutoScrollTimerId while auto-scrolling, else 0
    bool m_bSlowScroll = false;
    bool m_bLineSelect = false; // this drag selects whole lines
    int m_nAnchorLine = 0;      // the line a whole-line drag began on: it stays selected
    // The left button went down in this view and the drag has not ended: a release, or a
    // focus loss under the button, ends it. Moves with the button held that began
    // elsewhere (on a dialog that has closed since) drag nothing.
    bool m_bDragging = false;
    QBasicTimer m_autoScroll;     // runs exactly while m_nTimerId is set
    bool m_bMarginCursor = false; // the margin cursor is the viewport's now
    int m_nScrollsWhileSelected = 0;
    bool m_bOverwrite = false;
    bool m_bPainted = false;
    bool m_bMakingEdit = false; // the change the store is making is this view's own

    // The search state: set when a Find or Replace dialog is confirmed.
    std::string m_strFind;    // bytes of the text
    std::string m_strReplace; // bytes of the text
    bool m_bSearchForward = true;
    bool m_bMatchCase = false;
    bool m_bWholeWord = false;
    bool m_bReplaceActive = false; // the Replace dialog was the last one confirmed

    int m_nPrinterDpiX = 0;
    int m_nPrinterDpiY = 0;
    int m_nLinesPerPage = 1;
    int m_nPageBodyHeight = 0;
    int m_nPrintFirstLine = 0;
    int m_nPrintEndLine = 0;
    int m_nPrintPageCount = 0;
    bool m_bPrintSelection = false;
    TextPos m_posPrintSelEnd;
};
