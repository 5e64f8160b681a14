#include "runtime/JavaVmHost.h"

#include <jni.h>

#include <future>
#include <memory>
#include <optional>
#include <thread>

#include "frontend/LauncherErrors.h"
#include "runtime/LauncherSettings.h"

namespace Harvella {
namespace {

using CreateJavaVmFunction = jint(JNICALL*)(JavaVM**, void**, void*);
using GetDefaultInitArgsFunction = jint(JNICALL*)(void*);

// A method returning a string, called on the object; "" when there is none,
// it returns null or the call itself throws.
std::string callStringMethod(JNIEnv* env, jobject object, const char* name) {
    const jclass type = env->GetObjectClass(object);
    const jmethodID method = type ? env->GetMethodID(type, name, "()Ljava/lang/String;") : nullptr;
    if (!method) {
        env->ExceptionClear();
        return std::string();
    }
    const auto text = static_cast<jstring>(env->CallObjectMethod(object, method));
    if (env->ExceptionCheck() || !text) {
        env->ExceptionClear();
        return std::string();
    }
    const char* bytes = env->GetStringUTFChars(text, nullptr);
    std::string copy = bytes ? bytes : "";
    if (bytes) env->ReleaseStringUTFChars(text, bytes);
    return copy;
}

// The server's uncaught throwable as failure text, never empty, so that no
// throwable passes for a normal end of the server: its message, else its
// toString(), else, when both are overridden to give nothing or to throw,
// the name of its class (Class.getName, which it cannot override).
std::optional<std::string> takePendingFailure(JNIEnv* env) {
    if (!env->ExceptionCheck()) return std::nullopt;
    const jthrowable throwable = env->ExceptionOccurred();
    // Prints the stack trace to standard error and clears the exception, so
    // that the throwable's methods may be called.
    env->ExceptionDescribe();
    std::string text = callStringMethod(env, throwable, "getMessage");
    if (text.empty()) text = callStringMethod(env, throwable, "toString");
    if (text.empty()) text = callStringMethod(env, env->GetObjectClass(throwable), "getName");
    env->ExceptionClear();
    return text.empty() ? "The Java server ended with an uncaught throwable." : text;
}
}  // namespace

JavaVmHost::JavaVmHost(platform::LauncherServices& services,
                       std::chrono::milliseconds destroyLimit)
    : services_(services), destroyLimit_(destroyLimit) {}

void JavaVmHost::loadJvmLibrary() {
    const std::string& separator = services_.conventions.separator;
    const std::string runtimeFolder =
        getJavaPath(services_.registry) + separator + services_.conventions.jvmFolder;
    const std::string libraryPath = runtimeFolder + separator + services_.conventions.jvmLibrary;

    const auto saved = services_.workingDirectory.get();
    if (!saved.ok()) throw HarvellaError(codeOf(saved.error), "Could not get current directory");
    // The runtime finds its companion libraries relative to the current folder.
    if (const auto error = services_.workingDirectory.set(runtimeFolder))
        throw HarvellaError(codeOf(error),
                            "Could not change current directory to " + runtimeFolder);
    const auto library = services_.libraries.load(libraryPath);
    if (!library.ok())
        throw HarvellaError(codeOf(library.error),
                            "Could not load jvm.dll file using path: " + libraryPath);
    library_ = library.value;
    loaded_ = true;
    if (const auto error = services_.workingDirectory.set(saved.value))
        throw HarvellaError(codeOf(error), "Could not restore current directory to " + saved.value);

    createJavaVm_ = services_.libraries.symbol(library_, "JNI_CreateJavaVM");
    getDefaultInitArgs_ = services_.libraries.symbol(library_, "JNI_GetDefaultJavaVMInitArgs");
    if (!createJavaVm_ || !getDefaultInitArgs_) {
        services_.libraries.release(library_);
        loaded_ = false;
        throw HarvellaError(createJavaVm_ ? "Could not get address of JNI_GetDefaultJavaVMInitArgs."
                                          : "Could not get address of JNI_CreateJavaVM.");
    }
}

void JavaVmHost::runJavaServer() {
    loadJvmLibrary();
    JavaVMInitArgs arguments{};
    arguments.version = JNI_VERSION_1_4;
    reinterpret_cast<GetDefaultInitArgsFunction>(getDefaultInitArgs_)(&arguments);

    // Must stay alive until the VM has been created.
    std::string classPathOption = "-Djava.class.path=" + getStartupClassPath(services_.registry);
    std::string formSizeOption = "-Dorg.mortbay.http.HttpRequest.maxFormContentSize=-1";
    std::string reduceSignalsOption = "-Xrs";
    JavaVMOption options[3] = {};
    options[0].optionString = &classPathOption[0];
    options[1].optionString = &formSizeOption[0];
    options[2].optionString = &reduceSignalsOption[0];
    arguments.version = JNI_VERSION_1_4;
    arguments.nOptions = 3;
    arguments.options = options;
    arguments.ignoreUnrecognized = JNI_FALSE;

    JavaVM* vm = nullptr;
    JNIEnv* env = nullptr;
    if (reinterpret_cast<CreateJavaVmFunction>(createJavaVm_)(&vm, reinterpret_cast<void**>(&env),
                                                              &arguments) < 0)
        throw HarvellaError("Could not create JavaVM using options: " + classPathOption);

    const std::string className = getStartupClassName(services_.registry);
    const jclass mainClass = env->FindClass(className.c_str());
    if (!mainClass) throw HarvellaError("Could not find Java Main class: " + className);
    const jmethodID mainMethod =
        env->GetStaticMethodID(mainClass, "main", "([Ljava/lang/String;)V");
    if (!mainMethod)
        throw HarvellaError("Could not locate start method in the class: " + className);
    const jclass stringClass = env->FindClass("java/lang/String");
    if (!stringClass) throw HarvellaError("Could not find Java String class.");
    const jobjectArray noArguments = env->NewObjectArray(0, stringClass, nullptr);

    env->CallStaticVoidMethod(mainClass, mainMethod, noArguments);
    const std::optional<std::string> failure = takePendingFailure(env);

    if (destroyVm(vm)) {
        if (loaded_) services_.libraries.release(library_);
        loaded_ = false;
    } else {
        serverThreadsLeft_ = true;
    }
    if (failure) throw JavaError(*failure);
    if (serverThreadsLeft_)
        throw HarvellaError("The Java server returned from main, but threads it started are still "
                            "running: the Java VM could not be shut down.");
}

// DestroyJavaVM waits for every thread of the server that is not a daemon. It
// runs on a thread of its own, which this one leaves behind when the wait
// outlasts the limit; this thread detaches first, as the VM's last
// non-daemon thread must be the one that destroys it.
bool JavaVmHost::destroyVm(JavaVM* vm) {
    vm->DetachCurrentThread();
    const auto ended = std::make_shared<std::promise<void>>();
    std::future<void> destroyed = ended->get_future();
    std::thread destroyer([vm, ended] {
        vm->DestroyJavaVM();
        ended->set_value();
    });
    if (destroyed.wait_for(destroyLimit_) != std::future_status::ready) {
        destroyer.detach();
        return false;
    }
    destroyer.join();
    return true;
}

}  // namespace Harvella
