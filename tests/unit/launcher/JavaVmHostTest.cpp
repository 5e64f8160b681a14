#include <gtest/gtest.h>

#include <vector>

#include "LauncherFakes.h"
#include "TestJvm.h"
#include "frontend/LauncherErrors.h"
#include "runtime/JavaVmHost.h"

namespace {

constexpr const char* productKey = "SOFTWARE\\Brenwick\\Harvella";
const std::string library = "C:\\Java\\bin\\server\\jvm.dll";

class JavaVmHostSteps : public ::testing::Test {
protected:
    void SetUp() override {
        auto& registry = fakes.registry;
        registry.setString(productKey, "JavaPath", "C:\\Java");
        registry.setString(productKey, "StartupClassPath", "C:\\H\\lib\\server.jar");
        registry.setString(productKey, "StartupClassName", "com.example.Main");
        fakes.workingDirectory.folders.insert("C:\\Java\\bin");
        fakes.libraries.current = &fakes.workingDirectory.current;
        fakes.libraries.libraries[library] = {
            {"JNI_CreateJavaVM", reinterpret_cast<void*>(&testjvm::createJavaVm)},
            {"JNI_GetDefaultJavaVMInitArgs",
             reinterpret_cast<void*>(&testjvm::getDefaultJavaVmInitArgs)}};
        testjvm::script() = testjvm::Script{};
        testjvm::script().classes.insert("com/example/Main");
        testjvm::script().classesWithMain.insert("com/example/Main");
        testjvm::journal() = [this](const std::string& line) { calls.push_back(line); };
    }
    void TearDown() override { testjvm::journal() = nullptr; }

    std::string failureOf(void (Harvella::JavaVmHost::*step)()) {
        Harvella::JavaVmHost host(fakes.services);
        try {
            (host.*step)();
        } catch (const Harvella::HarvellaError& error) {
            return error.getFullMessage();
        }
        return "no error";
    }

    launcherfakes::FakeLauncherServices fakes;
    std::vector<std::string> calls;
};

TEST_F(JavaVmHostSteps, LoadsTheLibraryWithItsBinFolderCurrentAndRestoresTheFolder) {
    Harvella::JavaVmHost(fakes.services).loadJvmLibrary();
    EXPECT_EQ(fakes.libraries.loads, std::vector<std::string>{library});
    EXPECT_EQ(fakes.libraries.currentAtLoad, std::vector<std::string>{"C:\\Java\\bin"});
    EXPECT_EQ(fakes.workingDirectory.current, "/srv/harvella");
}

TEST_F(JavaVmHostSteps, LoadFailuresNameTheFolderOrLibraryWithTheirCodes) {
    fakes.registry.setString(productKey, "JavaPath", "C:\\Java\\");
    fakes.workingDirectory.folders.insert("C:\\Java\\\\bin");
    EXPECT_EQ(failureOf(&Harvella::JavaVmHost::loadJvmLibrary),
              "Could not load jvm.dll file using path: C:\\Java\\\\bin\\server\\jvm.dll "
              "[ErrorCode: 126]");
    fakes.registry.setString(productKey, "JavaPath", "D:\\none");
    EXPECT_EQ(failureOf(&Harvella::JavaVmHost::loadJvmLibrary),
              "Could not change current directory to D:\\none\\bin [ErrorCode: 2]");
    fakes.workingDirectory.getError = 8;
    EXPECT_EQ(failureOf(&Harvella::JavaVmHost::loadJvmLibrary),
              "Could not get current directory [ErrorCode: 8]");
}

TEST_F(JavaVmHostSteps, AMissingEntryPointFreesTheLibraryAndHasNoCode) {
    fakes.libraries.libraries[library].erase("JNI_GetDefaultJavaVMInitArgs");
    EXPECT_EQ(failureOf(&Harvella::JavaVmHost::loadJvmLibrary),
              "Could not get address of JNI_GetDefaultJavaVMInitArgs.");
    EXPECT_EQ(fakes.libraries.released, 1);
    fakes.libraries.libraries[library].erase("JNI_CreateJavaVM");
    EXPECT_EQ(failureOf(&Harvella::JavaVmHost::loadJvmLibrary),
              "Could not get address of JNI_CreateJavaVM.");
    EXPECT_EQ(fakes.libraries.released, 2);
}

TEST_F(JavaVmHostSteps, RunsMainWithTheFixedOptionsAndAnEmptyArrayThenDestroysTheVm) {
    bool ran = false;
    testjvm::script().serverMain = [&](const std::string& mainClass) {
        ran = mainClass == "com/example/Main";
    };
    Harvella::JavaVmHost(fakes.services).runJavaServer();
    EXPECT_TRUE(ran);
    const std::vector<std::string> expected{
        "GetDefaultJavaVMInitArgs 65540",
        "CreateJavaVM 65540 -Djava.class.path=C:\\H\\lib\\server.jar "
        "-Dorg.mortbay.http.HttpRequest.maxFormContentSize=-1 -Xrs",
        "FindClass com/example/Main",
        "GetStaticMethodID main ([Ljava/lang/String;)V",
        "FindClass java/lang/String",
        "NewObjectArray 0 class java/lang/String null",
        "CallStaticVoidMethod main arguments",
        "ExceptionCheck",
        "DetachCurrentThread",
        "DestroyJavaVM"};
    EXPECT_EQ(calls, expected);
    EXPECT_EQ(fakes.libraries.released, 1);
}

TEST_F(JavaVmHostSteps, AnUncaughtThrowableIsReadAfterDescribingItAndThrownAfterDestroy) {
    testjvm::script().serverMain = [](const std::string&) { testjvm::raise("Port taken"); };
    EXPECT_EQ(failureOf(&Harvella::JavaVmHost::runJavaServer), "Port taken");
    const std::vector<std::string> tail(calls.end() - 11, calls.end());
    const std::vector<std::string> expected{"ExceptionCheck",
                                            "ExceptionOccurred",
                                            "ExceptionDescribe",
                                            "GetMethodID getMessage ()Ljava/lang/String;",
                                            "CallObjectMethod getMessage",
                                            "ExceptionCheck",
                                            "GetStringUTFChars",
                                            "ReleaseStringUTFChars",
                                            "ExceptionClear",
                                            "DetachCurrentThread",
                                            "DestroyJavaVM"};
    EXPECT_EQ(tail, expected);
}

TEST_F(JavaVmHostSteps, AVmThatDoesNotEndInTimeIsLeftBehindWithItsLibraryAndAnError) {
    testjvm::script().destroyBlocks = true;
    Harvella::JavaVmHost host(fakes.services, std::chrono::milliseconds(20));
    EXPECT_EQ(launcherfakes::fullMessageOf([&] { host.runJavaServer(); }),
              "The Java server returned from main, but threads it started are still running: the "
              "Java VM could not be shut down.");
    testjvm::endBlockedDestroy();
    EXPECT_TRUE(host.serverThreadsLeft());
    EXPECT_EQ(fakes.libraries.released, 0) << "the threads still run in the library";
}

TEST_F(JavaVmHostSteps, AThrowableWithANullOrEmptyMessageFailsWithItsToString) {
    testjvm::script().serverMain = [](const std::string&) { testjvm::raise("", true); };
    EXPECT_EQ(failureOf(&Harvella::JavaVmHost::runJavaServer), "java.lang.IllegalStateException");
    testjvm::script().serverMain = [](const std::string&) { testjvm::raise(""); };
    EXPECT_EQ(failureOf(&Harvella::JavaVmHost::runJavaServer), "java.lang.IllegalStateException: ");
}

TEST_F(JavaVmHostSteps, FailuresBeforeMainLeaveTheVmAliveAndNameTheirSubject) {
    testjvm::script().classesWithMain.clear();
    EXPECT_EQ(failureOf(&Harvella::JavaVmHost::runJavaServer),
              "Could not locate start method in the class: com/example/Main");
    testjvm::script().classes.erase("com/example/Main");
    EXPECT_EQ(failureOf(&Harvella::JavaVmHost::runJavaServer),
              "Could not find Java Main class: com/example/Main");
    testjvm::script().classes.clear();
    testjvm::script().classes.insert("com/example/Main");
    testjvm::script().classesWithMain.insert("com/example/Main");
    EXPECT_EQ(failureOf(&Harvella::JavaVmHost::runJavaServer), "Could not find Java String class.");
    testjvm::script().createResult = JNI_ERR;
    EXPECT_EQ(failureOf(&Harvella::JavaVmHost::runJavaServer),
              "Could not create JavaVM using options: -Djava.class.path=C:\\H\\lib\\server.jar");
    for (const auto& call : calls)
        EXPECT_NE(call, "DestroyJavaVM");
    EXPECT_EQ(fakes.libraries.released, 0);
}

}  // namespace
