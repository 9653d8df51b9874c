package com.corvane.qmerrlog.tests;

import com.corvane.qmerrlog.QmLogger;

import java.io.IOException;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.Comparator;
import java.util.List;
import java.util.regex.Pattern;
import java.util.stream.Stream;

/**
 * Drives every native method of QmLogger in a real virtual machine against
 * files in a temporary folder. Prints "N passed, N failed" and exits non-zero
 * on any failure. Run with -Xcheck:jni so that the machine reports misuse.
 */
public final class QmLoggerTest {

    private static final int INFO = QmLogger.messageId(1, QmLogger.TYPE_INFO, 1);
    private static final int LEGACY = QmLogger.traceComponentId(1, 1);
    private static final int LOG_COMPONENT = QmLogger.traceComponentId(1, 0);
    private static final String PROLOG =
            "\\[\\d+/\\d+\\]\\[[A-Z][a-z]{2} [A-Z][a-z]{2} \\d{2} \\d{4} \\d{2}:\\d{2}:\\d{2}\\]";
    private static final String[] SIX = {"1", "2", "3", "4", "5", "6"};

    private final Path dir;
    private int passed;
    private int failed;

    private QmLoggerTest(Path dir) {
        this.dir = dir;
    }

    public static void main(String[] args) throws Exception {
        Path dir = Files.createTempDirectory("qmerrlog-java");
        QmLoggerTest test = new QmLoggerTest(dir);
        test.run("logToFiles", test::logToFiles);
        test.run("logArrays", test::logArrays);
        test.run("logToConsole", test::logToConsole);
        test.run("initializeLogFailures", test::initializeLogFailures);
        test.run("traceRecords", test::traceRecords);
        test.run("traceFilters", test::traceFilters);
        test.run("traceEnabled", test::traceEnabled);
        test.run("tooManyArguments", test::tooManyArguments);
        test.run("initializeTraceFailures", test::initializeTraceFailures);
        test.run("bytes", test::bytes);
        System.out.println(test.passed + " passed, " + test.failed + " failed");
        if (test.failed == 0) {
            deleteTree(dir);
        } else {
            System.out.println("files kept in " + dir);
        }
        System.exit(test.failed == 0 ? 0 : 1);
    }

    private interface Body {
        void run() throws Exception;
    }

    private void run(String name, Body body) {
        int failedBefore = failed;
        try {
            body.run();
        } catch (Throwable t) {
            fail(name + " threw " + t);
        }
        System.out.println((failed == failedBefore ? "ok    " : "FAILED ") + name);
    }

    private void check(boolean condition, String what) {
        if (condition) {
            passed++;
        } else {
            fail(what);
        }
    }

    private void fail(String what) {
        failed++;
        System.out.println("  failed: " + what);
    }

    private void checkEquals(Object expected, Object actual, String what) {
        check(expected.equals(actual), what + ": expected <" + expected + "> but was <" + actual + ">");
    }

    private void checkMatches(String regex, String actual, String what) {
        check(Pattern.compile(regex, Pattern.DOTALL).matcher(actual).matches(),
                what + ": <" + actual + "> does not match " + regex);
    }

    private String path(String name) {
        return dir.resolve(name).toString();
    }

    // Bytes as Latin-1, so that every byte stays one character.
    private List<String> lines(String name) throws IOException {
        Path file = dir.resolve(name);
        if (!Files.exists(file)) {
            return new ArrayList<>();
        }
        return Files.readAllLines(file, StandardCharsets.ISO_8859_1);
    }

    private String config(String name, String... lines) throws IOException {
        Path file = dir.resolve(name);
        Files.write(file, Arrays.asList(lines), StandardCharsets.UTF_8);
        return file.toString();
    }

    private int logTo(String logger, String file) {
        return QmLogger.InitializeLog(logger, QmLogger.OUTPUT_FILE, path(file), QmLogger.MODE_TRUNCATE,
                0, false, 0);
    }

    private int traceTo(String logger, String file, String configFile) {
        return QmLogger.InitializeTrace(logger, QmLogger.OUTPUT_FILE, path(file), QmLogger.MODE_TRUNCATE,
                0, QmLogger.FORMAT_BRACKETED, null, configFile, false, 0);
    }

    private void logToFiles() throws IOException {
        checkEquals(1, logTo(null, "default.log"), "InitializeLog of the default logger");
        checkEquals(1, logTo("orders", "orders.log"), "InitializeLog of a named logger");
        checkEquals(1, QmLogger.LogMsg("orders", "src/app/Orders.java", INFO, "disk full"), "LogMsg result");
        QmLogger.LogMsg("orders", null, INFO, (String) null);
        QmLogger.LogMsg("", "Default.java", INFO, "via empty name");
        QmLogger.LogMsg(null, "Default.java", INFO, "via null name");

        List<String> orders = lines("orders.log");
        checkEquals(2, orders.size(), "lines of the named logger");
        checkMatches(PROLOG + "\\[Orders\\.java\\]\\[INFO\\] disk full", orders.get(0), "log line");
        // "%1s" pads an empty argument to one blank.
        checkMatches(PROLOG + "\\[\\]\\[INFO\\]  ", orders.get(1), "null source and argument");
        List<String> defaults = lines("default.log");
        checkEquals(2, defaults.size(), "lines of the default logger");
        checkMatches(".*\\[Default\\.java\\]\\[INFO\\] via empty name", defaults.get(0), "empty name");
    }

    private void logArrays() throws IOException {
        logTo("arrays", "arrays.log");
        QmLogger.LogMsg("arrays", null, INFO, new String[] {"a", "b", "c", "d", "e"});
        QmLogger.LogMsg("arrays", null, INFO, new String[] {null, "b"});
        QmLogger.LogMsg("arrays", null, INFO, new String[0]);
        QmLogger.LogMsg("arrays", null, INFO, (String[]) null);
        checkEquals(1, QmLogger.LogMsg("arrays", null, INFO, SIX), "six arguments still answer 1");
        List<String> written = lines("arrays.log");
        checkEquals(2, written.size(), "only arrays of one to five strings are logged");
        checkMatches(".*\\[INFO\\] a", written.get(0), "first of five");
        checkMatches(".*\\[INFO\\]  ", written.get(1), "null element counts as empty");
    }

    private void logToConsole() {
        checkEquals(1, QmLogger.InitializeLog("console", QmLogger.OUTPUT_CONSOLE, null, 77, -5, false, -1),
                "console ignores the file arguments");
        // The runner looks for this line on standard output.
        QmLogger.LogMsg("console", "Console.java", INFO, "console-check");
    }

    private void initializeLogFailures() throws IOException {
        logTo("failing", "failing.log");
        checkEquals(0, QmLogger.InitializeLog("failing", QmLogger.OUTPUT_FILE, path("nine.log"), 9, 0,
                false, 0), "open mode 9");
        checkEquals(0, QmLogger.InitializeLog("failing", QmLogger.OUTPUT_FILE, null, 0, 0, false, 0),
                "no file name");
        checkEquals(0, QmLogger.InitializeLog("failing", QmLogger.OUTPUT_FILE, path("neg.log"), 3, -1,
                false, 0), "negative size");
        QmLogger.LogMsg("failing", null, INFO, "kept");
        checkEquals(1, lines("failing.log").size(), "a refused output leaves the earlier one");
        check(!Files.exists(dir.resolve("nine.log")), "nothing made for a refused output");
    }

    private void traceRecords() throws IOException {
        String cfg = config("records.cfg", "# the Java bridge's own fields", "components: Log/Legacy",
                "data: Function, Message, TransactionID, SrcFile");
        checkEquals(1, traceTo("records", "records.trace", cfg), "InitializeTrace");
        QmLogger.TraceMsg("records", "src/app/Trace.java", "submit", LEGACY, "T7", "100% sure: %s %d");
        QmLogger.TraceMsg("records", "Plain.java", "f", LEGACY, null, "%s-%s", new String[] {"x", null});
        QmLogger.TraceMsg("records", null, null, LEGACY, null, null);
        QmLogger.TraceMsg("records", null, "g", LEGACY, null, "%s kept", new String[0]);
        QmLogger.TraceMsg("records", null, "g", LEGACY, null, "%s null", (String[]) null);
        QmLogger.TraceMsg("records", null, "g", LOG_COMPONENT, null, "not selected");
        // Only string conversions take arguments; anything else is traced as it stands.
        QmLogger.TraceMsg("records", null, "h", LEGACY, null, "%2$s<%1$-3s", new String[] {"a", "b"});
        QmLogger.TraceMsg("records", null, "h", LEGACY, null, "%d %n", new String[] {"a"});
        QmLogger.TraceMsg("records", null, "h", LEGACY, null, "%s%s%s%s%s%s", new String[] {"a"});
        checkEquals(Arrays.asList("[Function][Message][TransactionID][SrcFile]",
                "[========][=======][=============][=======]",
                "[submit][100% sure: %s %d][T7][Trace.java]",
                "[f][x-][][Plain.java]",
                "[][][][]",
                "[g][%s kept][][]",
                "[g][%s null][][]",
                "[h][b<a  ][][]",
                "[h][%d %n][][]",
                "[h][%s%s%s%s%s%s][][]"), lines("records.trace"), "trace file");
    }

    private void traceFilters() throws IOException {
        String cfg = config("filter.cfg", "components: Log/Legacy", "data: TransactionID, Message",
                "TransactionID ==T1");
        traceTo("filter", "filter.trace", cfg);
        QmLogger.TraceMsg("filter", null, null, LEGACY, "T1", "kept");
        QmLogger.TraceMsg("filter", null, null, LEGACY, "T2", "dropped");
        QmLogger.TraceMsg("filter", null, null, LEGACY, null, "dropped too");
        List<String> written = lines("filter.trace");
        checkEquals(Arrays.asList("[T1][kept]"), written.subList(2, written.size()), "filtered records");
    }

    private void traceEnabled() throws IOException {
        traceTo("enabled", "enabled.trace", config("enabled.cfg", "components: Log/Legacy", "data: Message"));
        check(QmLogger.TraceEnabled("enabled"), "TraceEnabled once tracing is on");
        check(QmLogger.TraceEnabledComponent("enabled", LEGACY), "selected trace component");
        check(!QmLogger.TraceEnabledComponent("enabled", LOG_COMPONENT), "component not selected as a whole");
        check(!QmLogger.TraceEnabledComponent("enabled", QmLogger.traceComponentId(2, 1)), "unknown component");
        check(!QmLogger.TraceEnabled("never-traced"), "TraceEnabled of an untraced logger");
        check(!QmLogger.TraceEnabledComponent("never-traced", LEGACY), "component of an untraced logger");
    }

    private void tooManyArguments() throws IOException {
        String cfg = config("warnings.cfg", "components: Log", "data: Function, Message, SrcFile");
        checkEquals(1, traceTo(null, "warnings.trace", cfg), "default logger traces warnings");
        logTo("surplus", "surplus.log");
        traceTo("surplus", "surplus.trace", config("surplus.cfg", "components: Log/Legacy", "data: Message"));
        QmLogger.LogMsg("surplus", null, INFO, SIX);
        checkEquals(1, QmLogger.TraceMsg("surplus", null, null, LEGACY, null, "raw %s", SIX), "TraceMsg result");

        checkEquals(0, lines("surplus.log").size(), "nothing logged");
        checkEquals(2, lines("surplus.trace").size(), "nothing traced but the heading");
        List<String> warnings = lines("warnings.trace");
        checkEquals(4, warnings.size(), "heading and two warnings");
        checkMatches("\\[QmJNIEntryPoint::LogMsg\\]\\[WARNING!!! Too many arguments in message\\.  "
                + "Message not logged\\.  Message ID is: " + INFO + "\\]\\[QmJNIEntryPoint:\\d+\\]",
                warnings.get(2), "LogMsg warning");
        checkMatches("\\[QmJNIEntryPoint::LogMsg\\]\\[WARNING!!! Too many arguments in message - "
                + "Message not logged\\.  Unformatted message is: raw %s\\]\\[QmJNIEntryPoint:\\d+\\]",
                warnings.get(3), "TraceMsg warning");
    }

    private void initializeTraceFailures() throws IOException {
        traceTo("keep", "keep.trace", config("keep.cfg", "components: Log/Legacy", "data: Message"));
        checkEquals(0, traceTo("keep", "other.trace", null), "null configuration");
        checkEquals(0, traceTo("keep", "other.trace", ""), "empty configuration");
        checkEquals(0, traceTo("keep", "other.trace", path("missing.cfg")), "missing configuration");
        checkEquals(0, traceTo("keep", "other.trace", config("bad.cfg", "data: Message")), "malformed");
        checkEquals(0, QmLogger.InitializeTrace("keep", QmLogger.OUTPUT_FILE, path("other.trace"), 9, 0, 0,
                null, path("keep.cfg"), false, 0), "open mode 9");
        check(QmLogger.TraceEnabled("keep"), "a refused set-up leaves the earlier one in force");
        checkEquals(0, traceTo("fresh-null", "fresh.trace", null), "null configuration, new name");
        check(!QmLogger.TraceEnabled("fresh-null"), "nothing traced after a refusal");
        checkEquals(1, QmLogger.InitializeTrace("delimited", QmLogger.OUTPUT_FILE, path("delimited.trace"),
                QmLogger.MODE_TRUNCATE, 0, QmLogger.FORMAT_DELIMITED, " | ",
                config("delimited.cfg", "components: Log", "data: Function, Message"), true, 0),
                "delimited layout");
        QmLogger.TraceMsg("delimited", null, "fn", LEGACY, null, "text");
        checkEquals(Arrays.asList("Function | Message", "======== | =======", "fn | text"),
                lines("delimited.trace"), "delimited trace file");
    }

    private void bytes() throws IOException {
        logTo("bytes", "bytes.log");
        QmLogger.LogMsg("bytes", null, INFO, "caf\u00e9");
        byte[] log = Files.readAllBytes(dir.resolve("bytes.log"));
        String latin = new String(log, StandardCharsets.ISO_8859_1);
        check(latin.endsWith("caf\u00c3\u00a9\n"), "strings are written as their UTF-8 bytes");
    }

    private static void deleteTree(Path root) throws IOException {
        try (Stream<Path> paths = Files.walk(root)) {
            paths.sorted(Comparator.reverseOrder()).forEach(p -> p.toFile().delete());
        }
    }
}
