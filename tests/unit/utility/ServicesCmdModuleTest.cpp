// The service commands against the fake service manager: the phrases, the
// rights asked for, and what a removal sends and answers.
#include <gtest/gtest.h>

#include "fakes/FakeServices.h"
#include "frame/ServicesCmdModule.h"

namespace {

using servicefakes::statusOf;
namespace svc = platform::svc;

const char* const service = "HvMySQL";

TEST(ServicesCmdModule, EachStateHasItsPhraseAndAServiceThatCannotBeOpenedIsNotFound) {
    fakes::FakeServices fake;
    const std::pair<std::uint32_t, const char*> phrases[] = {
        {1, "Service Is Stopped"},       {2, "Service Start Pending"},
        {3, "Service Stop Pending"},     {4, "Service Is Running"},
        {5, "Service Continue Pending"}, {6, "Service Pause Pending"},
        {7, "Service Paused"},           {0, ""},
        {8, ""}};
    for (const auto& [state, phrase] : phrases) {
        fake.serviceManager.add(service, {statusOf(state)});
        EXPECT_EQ(Quimbo::GetServiceStatusText(fake.serviceManager, service), phrase) << state;
    }
    EXPECT_EQ(fake.serviceManager.connectAccess, svc::managerConnect);
    EXPECT_EQ(fake.serviceManager.openAccess, svc::serviceQueryStatus)
        << "a status query needs no administrator rights";
    fake.serviceManager.services.at(service).queryError = 5;
    EXPECT_EQ(Quimbo::GetServiceStatusText(fake.serviceManager, service), "");

    EXPECT_EQ(Quimbo::GetServiceStatusText(fake.serviceManager, "Other"), "Service Not Found");
    fake.serviceManager.openError = 5;
    EXPECT_EQ(Quimbo::GetServiceStatusText(fake.serviceManager, service), "Service Not Found");
    fake.serviceManager.connectError = 5;
    EXPECT_EQ(Quimbo::GetServiceStatusText(fake.serviceManager, service), "Service Not Found");
}

TEST(ServicesCmdModule, RemovalSendsAStopWithoutWaitingAndGivesTheDeletionsError) {
    fakes::FakeServices fake;
    fake.serviceManager.add(service, {statusOf(svc::running)}).controlError = 1061;
    EXPECT_EQ(Quimbo::RemoveServiceByName(fake.serviceManager, service), 0u);
    EXPECT_EQ(fake.serviceCalls, (servicefakes::Journal{"control 1 HvMySQL", "delete HvMySQL"}));

    fake.serviceManager.add(service, {statusOf(svc::running)}).removeError = 1072;
    EXPECT_EQ(Quimbo::RemoveServiceByName(fake.serviceManager, service), 1072u);
    EXPECT_EQ(Quimbo::RemoveServiceByName(fake.serviceManager, "Other"), 1060u);
}

}  // namespace
