#include "script/json_script.h"
#include "support/recording_dialogs.h"

#include <QLocale>

#include <exception>
#include <gtest/gtest.h>

using tavimo::cJSONScript;
using tavimo::DialogIcon;
using tavimo::ScriptError;
using tavimo::test::RecordingDialogs;

namespace {

const QString kNestingExceeded = QStringLiteral("ERROR: Nesting level exceeded.");

// Puts a locale with a decimal comma in place for the life of a test.
class GermanLocale {
public:
    GermanLocale() { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }
    ~GermanLocale() { QLocale::setDefault(saved_); }

private:
    QLocale saved_;
};

// levels objects, each "(" + the next level + ")", around a fixed text.
QString nestedScript(int levels, const QString &innermost = QStringLiteral("{'return':'deep'}"))
{
    QString script = innermost;
    for (int level = 1; level < levels; ++level)
        script = QStringLiteral("{'return':'(','get':{'name':'unset','default':%1},'RETURN':')'}").arg(script);
    return QLatin1Char('[') + script + QLatin1Char(']');
}

// Evaluates a script to its end on the event loop; a ScriptError of the
// evaluation comes out of here.
QString Eval(cJSONScript &script, const QString &text)
{
    std::exception_ptr error;
    QString output;
    const auto evaluate = [&]() -> QCoro::Task<> {
        try {
            output = co_await script.Eval(text);
        } catch (...) {
            error = std::current_exception();
        }
    };
    QCoro::waitFor(evaluate());
    if (error)
        std::rethrow_exception(error);
    return output;
}

// How a script's evaluation ends.
enum class Ends { Output, ParserBox, Throws };

struct Case {
    const char *script;
    const char *text; // the output, or the start of the parser's text in its box
    Ends ends = Ends::Output;
};

} // namespace

// Each script on a fresh evaluator yields its listed output and shows no box;
// a text that does not parse shows one "Parser Error" warning with the
// parser's text and yields nothing; values that no command takes make the
// call fail with ScriptError.
TEST(JsonScript, EvaluatesScripts)
{
    const Case cases[] = {
        {"['a', null, 'b']", "anullb"},
        {"[{'set':{'name':'x','value':'1'}}, {'get':{'name':'x'}}]", "1"},
        {"[{'get':{'name':'y','default':'none'}}]", "none"},
        {"[{'set':{'name':'y','value':''}}, {'get':{'name':'y','default':'none'}}]", "none"},
        {"[{'get':{'name':'y'}}]", ""},
        {"[{'if':{'value1':'10','value2':'9','type':'gt','true':'yes','false':'no'}}]", "no"},
        {"[{'if':{'value1':'ABC','value2':'abc','type':'eq','true':'yes','false':'no'}}]", "yes"},
        {"[{'if':{'value1':'ABC','value2':'abc','type':'ne','true':'yes','false':'no'}}]", "no"},
        {"[{'if':{'value1':'b','value2':'a','type':'GT','true':'yes','false':'no'}}]", "yes"},
        {"[{'if':{'value1':'a','value2':'a','type':'gte','true':'yes','false':'no'}}]", "yes"},
        {"[{'if':{'value1':'a','value2':'a','type':'lte','true':'yes','false':'no'}}]", "yes"},
        {"[{'if':{'value1':'B','value2':'a','type':'lt','true':'yes','false':'no'}}]", "yes"},
        {"[{'if':{'value1':'a','value2':'a','type':null,'true':'yes','false':'no'}}]", "no"},
        {"[{'switch':{'case':'B','default':'none','items':[{'case':'a','return':'1'},{'case':'b','return':'2'}]}}]",
         "2"},
        {"[{'switch':{'case':'c','default':'none','items':[{'case':'a','return':'1'},{'case':'b','return':'2'}]}}]",
         "none"},
        {"[{'switch':{'case':'a','items':[{'case':'A','return':'1'},'never looked at']}}]", "1"},
        {"[{'switch':{'case':'2','items':[{'case':null,'return':'n'},{'case':2,'return':'two'}]}}]", "two"},
        {"[{'SET':{'name':'x','value':'1'}}, {'Get':{'name':'x'}}, {'get':{'name':'X','default':'-'}}]", "1-"},
        {"[{'beep':{'a':'1','b':'2'}}]", "<%BEEP(1,2)%>"},
        {"[{'beep':'x'}]", "<%BEEP(x)%>"},
        {"[{'beep':['x']}]", "<%BEEP()%>"},
        {"[{'beep':{'t':true,'f':false,'n':-2}}]", "<%BEEP(true,false,-2)%>"},
        {"[{'return':'a'}, {'return':'b'}]", "ab"},
        {"[{'x':'1','return':'2'}]", "<%X(1)%>2"},
        {"[{'return':'{not evaluated}'}]", "{not evaluated}"},
        {"[[1.50, true, null, [-0.25]]]", "1.50truenull-0.25"},
        {"[]", ""},
        {"{}", ""},
        {"[{}]", ""},
        {"[1,2", "Missing ']': ", Ends::ParserBox},
        {"['a',", "Missing ']': ", Ends::ParserBox},
        {"hello", "Invalid JSON", Ends::ParserBox},
        {"", "Invalid JSON", Ends::ParserBox},
        {"[{'a':tru}]", "Invalid Boolean at position ", Ends::ParserBox},
        {"[1]", nullptr, Ends::Throws},
        {"[true]", nullptr, Ends::Throws},
        {"['ok', false]", nullptr, Ends::Throws},
        {"[{'set':1}]", nullptr, Ends::Throws},
        {"[{'beep':null}]", nullptr, Ends::Throws},
        {"[{'return':true}]", nullptr, Ends::Throws},
        {"[{'return':{}}]", nullptr, Ends::Throws},
        {"[{'return':['a']}]", nullptr, Ends::Throws},
        {"[{'switch':{'case':'a','items':'x'}}]", nullptr, Ends::Throws},
        {"[{'switch':{'case':'a'}}]", nullptr, Ends::Throws},
        {"[{'switch':{'case':'a','items':['x']}}]", nullptr, Ends::Throws},
        {"[{'beep':{'a':null}}]", nullptr, Ends::Throws},
        {"[{'beep':{'a':{}}}]", nullptr, Ends::Throws},
        {"[{'beep':{'a':[]}}]", nullptr, Ends::Throws},
        {"{'a':'b'}", nullptr, Ends::Throws},
        {"[{'alert':'x'}]", nullptr, Ends::Throws},
        {"[{'get':['x']}]", nullptr, Ends::Throws},
        {"[{'get':{'name':null}}]", nullptr, Ends::Throws},
        {"[{'set':{'name':{},'value':'1'}}]", nullptr, Ends::Throws},
    };
    for (const Case &entry : cases) {
        SCOPED_TRACE(entry.script);
        RecordingDialogs dialogs;
        cJSONScript script(dialogs);
        const QString text = QString::fromUtf8(entry.script);
        if (entry.ends == Ends::Throws) {
            EXPECT_THROW(Eval(script, text), ScriptError);
            continue;
        }
        EXPECT_EQ(Eval(script, text), entry.ends == Ends::Output ? QString::fromUtf8(entry.text) : QString());
        if (entry.ends == Ends::Output) {
            EXPECT_TRUE(dialogs.boxes.isEmpty());
            continue;
        }
        ASSERT_EQ(dialogs.boxes.size(), 1);
        EXPECT_TRUE(dialogs.boxes[0].text.startsWith(QString::fromUtf8(entry.text)));
        EXPECT_EQ(dialogs.boxes[0].title, "Parser Error");
        EXPECT_EQ(dialogs.boxes[0].icon, DialogIcon::Warning);
    }
}

// Variables carry over from one Eval to the next on the same evaluator.
TEST(JsonScript, VariablesLastAcrossEvals)
{
    RecordingDialogs dialogs;
    cJSONScript script(dialogs);
    EXPECT_EQ(Eval(script, "[{'set':{'name':'x','value':'1'}}]"), "");
    EXPECT_EQ(Eval(script, "[{'get':{'name':'x'}}]"), "1");
    EXPECT_EQ(Eval(script, "[{'set':{'name':'x','value':{'get':{'name':'x'}}}}, {'get':{'name':'x'}}]"), "1");
}

// Script numbers always use a point; placeholder arguments use the user's locale.
TEST(JsonScript, NumbersFollowTheLocaleOnlyInPlaceholders)
{
    GermanLocale german;
    RecordingDialogs dialogs;
    cJSONScript script(dialogs);
    EXPECT_EQ(Eval(script, "[{'set':{'name':'n','value':1.5}}, {'get':{'name':'n'}}]"), "1.5");
    EXPECT_EQ(Eval(script, "[[2.25]]"), "2.25");
    EXPECT_EQ(Eval(script, "[{'beep':{'n':1.5,'t':true}}]"), "<%BEEP(1,5,true)%>");
}

// The message box and the input box get their evaluated texts, message or prompt first.
TEST(JsonScript, ShowsBoxesWithEvaluatedTexts)
{
    RecordingDialogs dialogs;
    dialogs.answers = {"typed", "second"};
    cJSONScript script(dialogs);
    EXPECT_EQ(Eval(script, "[{'alert':{'title':{'input':{'prompt':'t'}},'message':{'input':{'prompt':'m'}}}}]"), "");
    ASSERT_EQ(dialogs.boxes.size(), 3);
    EXPECT_EQ(dialogs.boxes[0].text, "m");
    EXPECT_EQ(dialogs.boxes[1].text, "t");
    EXPECT_EQ(dialogs.boxes[2].kind, "message");
    EXPECT_EQ(dialogs.boxes[2].text, "typed");
    EXPECT_EQ(dialogs.boxes[2].title, "second");
    EXPECT_EQ(dialogs.boxes[2].icon, DialogIcon::Information);

    dialogs.boxes.clear();
    EXPECT_EQ(Eval(script, "[{'input':{'prompt':'P','title':'T','default':{'return':'D'}}}]"), "");
    ASSERT_EQ(dialogs.boxes.size(), 1);
    EXPECT_EQ(dialogs.boxes[0].title, "T");
    EXPECT_EQ(dialogs.boxes[0].defaultText, "D");
}

// Only the needed branch of "if" and the needed "default" of "get" are evaluated; "switch" always evaluates its default.
TEST(JsonScript, EvaluatesOnlyWhatIsNeeded)
{
    RecordingDialogs dialogs;
    cJSONScript script(dialogs);
    Eval(script, "[{'if':{'value1':'a','value2':'a','type':'eq','true':'t','false':{'alert':{'message':'no'}}}}]");
    Eval(script, "[{'set':{'name':'v','value':'1'}}, {'get':{'name':'v','default':{'alert':{'message':'no'}}}}]");
    EXPECT_TRUE(dialogs.boxes.isEmpty());
    Eval(script, "[{'switch':{'case':'a','default':{'alert':{'message':'d'}},'items':[{'case':'a','return':'1'}]}}]");
    EXPECT_EQ(dialogs.texts(), QStringList({"d"}));
}

// At most 41 evaluations run at once; the 42nd nested one yields the nesting message inside the outer output.
TEST(JsonScript, LimitsNesting)
{
    RecordingDialogs dialogs;
    cJSONScript script(dialogs);
    EXPECT_EQ(Eval(script, nestedScript(41)), QString(40, '(') + "deep" + QString(40, ')'));
    EXPECT_EQ(Eval(script, nestedScript(42)), QString(41, '(') + kNestingExceeded + QString(41, ')'));

    // A text evaluated at the 42nd level is too deep as well.
    EXPECT_EQ(Eval(script, nestedScript(41, "{'get':{'name':'unset','default':'deep'}}")),
              QString(40, '(') + kNestingExceeded + QString(40, ')'));
}

// An evaluation that fails deep down leaves the depth as it was, so later scripts nest as deep as before.
TEST(JsonScript, FailureRestoresTheDepth)
{
    RecordingDialogs dialogs;
    cJSONScript script(dialogs);
    for (int attempt = 0; attempt < 3; ++attempt)
        EXPECT_THROW(Eval(script, nestedScript(30, "{'return':{}}")), ScriptError);
    EXPECT_EQ(Eval(script, nestedScript(41)), QString(40, '(') + "deep" + QString(40, ')'));
}
