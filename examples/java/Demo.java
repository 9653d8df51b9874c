import com.corvane.qmerrlog.QmLogger;

import java.io.IOException;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.nio.file.Paths;
import java.util.Arrays;

/**
 * A Java program that logs and traces through qmerrlog.
 *
 * <pre>
 * java -Dqmerrlog.library.path=/abs/path/libqmerrlog.so \
 *      -cp qmerrlog.jar:qmerrlog_java_demo.jar Demo [output-folder]
 * </pre>
 *
 * Writes java-demo.log and java-demo.trace into the output folder (the
 * current one by default) and prints both.
 */
public final class Demo {

    private static final String LOGGER = "java-demo";

    public static void main(String[] args) throws IOException {
        Path out = Paths.get(args.length > 0 ? args[0] : ".").toAbsolutePath();
        Files.createDirectories(out);
        Path log = out.resolve("java-demo.log");
        Path trace = out.resolve("java-demo.trace");

        // Trace the library's own trace component, four fields per record,
        // and only the records of transaction T-100.
        Path config = out.resolve("java-demo-trace.cfg");
        Files.write(config, Arrays.asList(
                "# trace configuration of the Java demo",
                "components: Log/Legacy",
                "data: Time, Function, TransactionID, Message",
                "TransactionID ==T-100"), StandardCharsets.UTF_8);

        int logResult = QmLogger.InitializeLog(LOGGER, QmLogger.OUTPUT_FILE, log.toString(),
                QmLogger.MODE_TRUNCATE, 0, true, 0);
        int traceResult = QmLogger.InitializeTrace(LOGGER, QmLogger.OUTPUT_FILE, trace.toString(),
                QmLogger.MODE_TRUNCATE, 0, QmLogger.FORMAT_BRACKETED, null, config.toString(), true, 0);
        System.out.println("InitializeLog -> " + logResult + ", InitializeTrace -> " + traceResult);

        // Messages of the library's own catalogue print their first argument.
        int info = QmLogger.messageId(1, QmLogger.TYPE_INFO, 1);
        int warning = QmLogger.messageId(1, QmLogger.TYPE_WARNING, 2);
        int error = QmLogger.messageId(1, QmLogger.TYPE_ERROR, 3);
        QmLogger.LogMsg(LOGGER, "examples/java/Demo.java", info, "Java demo started");
        QmLogger.LogMsg(LOGGER, "examples/java/Demo.java", warning, new String[] {"disk 91% full", "/var"});
        QmLogger.LogMsg(LOGGER, "examples/java/Demo.java", error, "cannot reach the database");

        int legacy = QmLogger.traceComponentId(1, 1);
        System.out.println("TraceEnabled -> " + QmLogger.TraceEnabled(LOGGER)
                + ", TraceEnabledComponent(Log/Legacy) -> " + QmLogger.TraceEnabledComponent(LOGGER, legacy));
        QmLogger.TraceMsg(LOGGER, "Demo.java", "main", legacy, "T-100", "order %s for %s",
                new String[] {"4711", "alice"});
        QmLogger.TraceMsg(LOGGER, "Demo.java", "main", legacy, "T-100", "50% done, taken as it stands");
        QmLogger.TraceMsg(LOGGER, "Demo.java", "main", legacy, "T-200", "filtered out: another transaction");

        print(log);
        print(trace);
    }

    private static void print(Path file) throws IOException {
        System.out.println("== " + file);
        for (String line : Files.readAllLines(file, StandardCharsets.UTF_8)) {
            System.out.println(line);
        }
    }
}
