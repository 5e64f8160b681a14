// The service state phrases against the fake service manager, and the rights
// a status query asks for.
#include <gtest/gtest.h>

#include "fakes/FakeServices.h"
#include "frame/ServicesCmdModule.h"

namespace {

TEST(ServicesCmdModule, EachStateHasItsPhraseAndAServiceThatCannotBeOpenedIsNotFound) {
    fakes::FakeServices fake;
    const std::pair<std::uint32_t, const char*> phrases[] = {
        {1, "Service Is Stopped"},       {2, "Service Start Pending"},
        {3, "Service Stop Pending"},     {4, "Service Is Running"},
        {5, "Service Continue Pending"}, {6, "Service Pause Pending"},
        {7, "Service Paused"},           {8, ""}};
    for (const auto& [state, phrase] : phrases) {
        fake.serviceManager.add("S", {servicefakes::statusOf(state)});
        EXPECT_EQ(Quimbo::GetServiceStatusText(fake.serviceManager, "S"), phrase) << state;
    }
    EXPECT_EQ(fake.serviceManager.openAccess, platform::svc::serviceQueryStatus)
        << "a status query needs no administrator rights";
    fake.serviceManager.services.at("S").queryError = 5;
    EXPECT_EQ(Quimbo::GetServiceStatusText(fake.serviceManager, "S"), "");
    fake.serviceManager.openError = 5;
    EXPECT_EQ(Quimbo::GetServiceStatusText(fake.serviceManager, "S"), "Service Not Found");
}

}  // namespace
