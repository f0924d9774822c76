#pragma once
// A project of its own for each test, installed as the process-wide Project, and
// the product's matcher installed as BatchMatcher.

#include <gtest/gtest.h>
#include <memory>
#include <string>

#include "batch/zrMatch.h"
#include "project/zrProject.h"
#include "support/test_support.h"

namespace vantile::test {

class ProjectTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_project = std::make_unique<TzrProject>(m_home.str() + "vantile");
        m_previous = Project;
        Project = m_project.get();
    }
    void TearDown() override {
        Project = m_previous;
        m_project.reset();
    }
    void set(const std::string& key, const std::string& value) { m_project->SetValue(key, value); }
    TzrProject& project() { return *m_project; }

    TzrMatch m_match;
    ScopedBatchMatcher m_matcher{&m_match};

  private:
    TempDir m_home;
    std::unique_ptr<TzrProject> m_project;
    TzrProject* m_previous = nullptr;
};

}  // namespace vantile::test
