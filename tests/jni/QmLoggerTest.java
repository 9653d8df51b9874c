package com.corvane.qmerrlog.tests;

import com.corvane.qmerrlog.QmLogger;

import java.io.IOException;
import java.nio.charset.StandardCharsets;
import java.nio.file.*;
import java.util.*;

// Drives every native method of QmLogger in a real virtual machine against
// files in the empty folder it is given; run with -Xcheck:jni so that the
// machine reports misuse. Prints each failure and exits non-zero on any.
public final class QmLoggerTest {
    private static final int INFO = QmLogger.messageId(1, QmLogger.TYPE_INFO, 1);  // "%1s"
    private static final int LEGACY = QmLogger.traceComponentId(1, 1);
    private static final String PROLOG = "^\\[\\d+/\\d+\\]\\[[A-Z][a-z]{2} [A-Z][a-z]{2} \\d{2} \\d{4} [\\d:]{8}\\]";
    private static final String[] SIX = {"1", "2", "3", "4", "5", "6"};
    private static Path dir;
    private static int failures;

    public static void main(String[] args) throws IOException {
        dir = Paths.get(args[0]);
        logging(); tracing();
        System.out.println(failures == 0 ? "all passed" : failures + " failed; files kept in " + dir);
        System.exit(failures == 0 ? 0 : 1);
    }

    private static void check(boolean ok, String what) {
        if (!ok) System.out.println("failed (" + ++failures + "): " + what);
    }

    // The lines of a file, read as Latin-1 so that every byte stays one character,
    // with the log prolog "[pid/tid][date]" shown as P.
    private static void expectLines(String name, String... expected) throws IOException {
        List<String> lines = new ArrayList<>(Files.readAllLines(dir.resolve(name), StandardCharsets.ISO_8859_1));
        lines.replaceAll(line -> line.replaceFirst(PROLOG, "P"));
        check(lines.equals(Arrays.asList(expected)), name + " holds " + lines);
    }

    private static String config(String name, String... lines) throws IOException {
        return Files.write(dir.resolve(name), Arrays.asList(lines), StandardCharsets.UTF_8).toString();
    }

    private static int logTo(String logger, String file, int mode) {
        String path = file == null ? null : dir.resolve(file).toString();
        return QmLogger.InitializeLog(logger, QmLogger.OUTPUT_FILE, path, mode, 0, false, 0);
    }

    private static int traceTo(String logger, String file, int format, String separator, String configFile) {
        return QmLogger.InitializeTrace(logger, QmLogger.OUTPUT_FILE, dir.resolve(file).toString(),
                QmLogger.MODE_TRUNCATE, 0, format, separator, configFile, false, 0);
    }

    private static void logging() throws IOException {
        check(logTo(null, "default.log", 0) + logTo("orders", "orders.log", 0) == 2, "InitializeLog");
        check(QmLogger.LogMsg("orders", "C:\\src/app\\Orders.java", INFO, "disk full") == 1, "LogMsg answers 1");
        QmLogger.LogMsg("orders", null, INFO, (String) null);
        QmLogger.LogMsg("orders", null, INFO, "caf\u00e9");
        QmLogger.LogMsg("orders", null, INFO, new String[] {"a", "b", "c", "d", "e"});
        QmLogger.LogMsg("orders", null, INFO, new String[0]);  // only one to five strings are logged
        QmLogger.LogMsg("orders", null, INFO, (String[]) null);
        QmLogger.LogMsg("", "Default.java", INFO, "empty name");
        QmLogger.LogMsg(null, "Default.java", INFO, "null name");
        QmLogger.LogMsg(null, "Default.java", INFO, "line\n[P][Forged.java][ERROR] \u001b[2J");
        QmLogger.LogMsg(null, "Default.java", QmLogger.messageId(1, QmLogger.TYPE_INFO, 9), "no text");
        // "%1s" pads an empty argument to one blank; strings go out as their UTF-8 bytes.
        expectLines("orders.log", "P[Orders.java][INFO] disk full", "P[][INFO]  ", "P[][INFO] caf\u00c3\u00a9",
                "P[][INFO] a");
        // A forged line stays inside its own; an id without text still ends its line.
        expectLines("default.log", "P[Default.java][INFO] empty name", "P[Default.java][INFO] null name",
                "P[Default.java][INFO] line\\n[P][Forged.java][ERROR] \\x1b[2J", "P[Default.java]");
        check(QmLogger.InitializeLog("console", QmLogger.OUTPUT_CONSOLE, null, 77, -5, false, -1) == 1, "console");
        QmLogger.LogMsg("console", "Console.java", INFO, "console-check");  // the runner looks for this line
    }

    private static void tracing() throws IOException {
        String cfg = config("records.cfg", "# the Java bridge's own fields", "components: Log/Legacy",
                "data: Function, Message, TransactionID, SrcFile", "TransactionID !=T9");
        check(traceTo("records", "records.trace", QmLogger.FORMAT_BRACKETED, null, cfg) == 1, "InitializeTrace");
        QmLogger.TraceMsg("records", "C:\\src\\app\\Trace.java", "submit", LEGACY, "T7", "100% sure: %s %d");
        QmLogger.TraceMsg("records", "Plain.java", "f", LEGACY, null, "%s-%s", new String[] {"x", null});
        QmLogger.TraceMsg("records", null, null, LEGACY, null, null);
        QmLogger.TraceMsg("records", null, "g", LEGACY, null, "%s kept", new String[0]);
        QmLogger.TraceMsg("records", null, "g", LEGACY, "T9", "filtered out");
        QmLogger.TraceMsg("records", null, "g", QmLogger.traceComponentId(1, 0), null, "not selected");
        // Every conversion takes a string: a number where it reads as one, else the text;
        // missing strings are empty. Line breaks and other control characters are escaped.
        QmLogger.TraceMsg("records", null, "h", LEGACY, null, "%x|%05d|%s|%d", new String[] {"255", "42"});
        QmLogger.TraceMsg("records", "a\nb.java", "h\r", LEGACY, "T\u001b", "one\n[x][forged][][]");
        expectLines("records.trace", "[Function][Message][TransactionID][SrcFile]",
                "[========][=======][=============][=======]", "[submit][100% sure: %s %d][T7][Trace.java]",
                "[f][x-][][Plain.java]", "[][][][]", "[g][%s kept][][]",
                "[h][ff|00042||][][]", "[h\\r][one\\n[x][forged][][]][T\\x1b][a\\nb.java]");
        check(QmLogger.TraceEnabled("records") && QmLogger.TraceEnabledComponent("records", LEGACY)
                && !QmLogger.TraceEnabledComponent("records", QmLogger.traceComponentId(1, 0))
                && !QmLogger.TraceEnabled("never-traced"), "TraceEnabled answers");

        // Too many arguments: nothing logged or traced (see below), a warning in the default logger's trace.
        String warnings = config("warnings.cfg", "components: Log", "data: Function, Message");
        check(traceTo(null, "warnings.trace", QmLogger.FORMAT_DELIMITED, " | ", warnings) == 1, "delimited");
        check(QmLogger.LogMsg("orders", null, INFO, SIX) == 1, "LogMsg answers 1");
        check(QmLogger.TraceMsg("records", null, null, LEGACY, null, "raw %s", SIX) == 1, "TraceMsg answers 1");
        expectLines("warnings.trace", "Function | Message", "======== | =======",
                "QmJNIEntryPoint::LogMsg | WARNING!!! Too many arguments in message.  Message not logged.  "
                        + "Message ID is: " + INFO,
                "QmJNIEntryPoint::LogMsg | WARNING!!! Too many arguments in message - Message not logged.  "
                        + "Unformatted message is: raw %s");

        // Refused set-ups make nothing and leave the earlier outputs and configuration in force.
        check(logTo("orders", "nine.log", 9) + logTo("orders", null, 0) + traceTo("records", "other.trace", 0, null,
                null) + traceTo("records", "other.trace", 9, null, cfg) == 0, "refused set-ups");
        QmLogger.LogMsg("orders", null, INFO, "kept");
        QmLogger.TraceMsg("records", null, "k", LEGACY, null, "kept");
        check(!Files.exists(dir.resolve("nine.log")) && !Files.exists(dir.resolve("other.trace")), "files made");
        check(Files.readAllLines(dir.resolve("orders.log")).size() == 5, "orders.log: one more line");
        check(Files.readAllLines(dir.resolve("records.trace")).get(8).equals("[k][kept][][]"), "records.trace");
    }
}
