#pragma once
// The fakes with a MySQL folder that holds the client, and the client layer
// on top of them, as the client and dump tests share them.
#include <gtest/gtest.h>

#include "RaisedBy.h"
#include "fakes/FakeMySQLClient.h"
#include "frame/FileSystemObject.h"
#include "mysql/MySQLManager.h"

class MySQLClientFixture : public ::testing::Test {
protected:
    MySQLClientFixture() {
        for (const char* folder : {"/m", "/m/bin", "/dumps"})
            fake.files.folders.insert(folder);
        fake.files.files["/m/bin/mysql"] = "";
        manager.Initialize(fso);
    }
    // Files in the temporary folder.
    std::size_t temporaries() const {
        std::size_t count = 0;
        for (const auto& entry : fake.files.files)
            count += entry.first.rfind("/tmp/", 0) == 0;
        return count;
    }

    fakes::FakeServices fake;
    fakes::FakeMySQLClient client{fake};
    Quimbo::FileSystemObject fso{fake.files, fake.random, fake.services.conventions};
    Quimbo::MySQLManager manager{fake.services};
};
