#pragma once
// The project objects: a project (`Collezione`) with its scenarios (`Scenari`
// of `Scenario`), the palette's objects with their slot capabilities (`Oggetti`
// of `Oggetto`) and the payload of an element dragged in from the configurator
// (`cObjOleDrag`). They hold values only; files are read and written elsewhere.
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "model/commands.h"

namespace tessed::db {
class Database;
}

namespace tessed {

// Raised by a keyed collection for a duplicate key or a missing member.
class CollectionError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// A keyed, 1-based collection that enumerates in insertion order. Keys compare
// without regard to letter case; a member added with an empty key has none and
// is reached by position or enumeration only.
template <class T>
class KeyedCollection {
  public:
    using Member = std::shared_ptr<T>;

    // Adds `member` under `key` (no key when empty) and returns it.
    Member AddMember(std::string_view key, Member member) {
        if (!key.empty() && find(key) >= 0)
            throw CollectionError("the key \"" + std::string(key) +
                                  "\" is already present in the collection");
        entries_.push_back({std::string(key), member});
        return member;
    }
    // The member under `key`; null when there is none.
    Member Item(std::string_view key) const {
        int i = find(key);
        return i < 0 ? nullptr : entries_[i].second;
    }
    Member Item(const char* key) const { return Item(std::string_view(key)); }
    Member Item(const std::string& key) const { return Item(std::string_view(key)); }
    // The member at 1-based `position`; null when out of range.
    Member Item(long position) const {
        if (position < 1 || position > static_cast<long>(entries_.size())) return nullptr;
        return entries_[position - 1].second;
    }
    Member Item(int position) const { return Item(static_cast<long>(position)); }
    long Count() const { return static_cast<long>(entries_.size()); }
    void Remove(std::string_view key) {
        int i = find(key);
        if (i < 0)
            throw CollectionError("the collection has no member with the key \"" +
                                  std::string(key) + "\"");
        entries_.erase(entries_.begin() + i);
    }
    void Remove(const char* key) { Remove(std::string_view(key)); }
    void Remove(const std::string& key) { Remove(std::string_view(key)); }
    void Remove(long position) {
        if (position < 1 || position > static_cast<long>(entries_.size()))
            throw CollectionError("the collection has no member at position " +
                                  std::to_string(position));
        entries_.erase(entries_.begin() + (position - 1));
    }
    void Remove(int position) { Remove(static_cast<long>(position)); }

    // Enumeration in insertion order ("for each").
    class iterator {
      public:
        using Inner = typename std::vector<std::pair<std::string, Member>>::const_iterator;
        explicit iterator(Inner it) : it_(it) {}
        const Member& operator*() const { return it_->second; }
        iterator& operator++() {
            ++it_;
            return *this;
        }
        bool operator==(const iterator& o) const { return it_ == o.it_; }

      private:
        Inner it_;
    };
    iterator begin() const { return iterator(entries_.begin()); }
    iterator end() const { return iterator(entries_.end()); }
    // The key a member was added under, by 1-based position ("" when none).
    std::string KeyAt(long position) const {
        if (position < 1 || position > Count()) return {};
        return entries_[position - 1].first;
    }

  private:
    int find(std::string_view key) const;
    std::vector<std::pair<std::string, Member>> entries_;
};

bool KeyEquals(std::string_view a, std::string_view b);

template <class T>
int KeyedCollection<T>::find(std::string_view key) const {
    if (key.empty()) return -1;
    for (size_t i = 0; i < entries_.size(); ++i)
        if (KeyEquals(entries_[i].first, key)) return static_cast<int>(i);
    return -1;
}

// One scenario of a project.
class Scenario {
  public:
    std::string ScriptName;  // written to the scenario file as "scen_name"
    std::string FullPath;    // full path of the scenario file
    std::string FilePath;    // folder of the scenario file
    std::string FileName;    // file name of the scenario file
    std::string Key;         // the key under which the scenario is held in Scenari
    std::string Descrizione;
    ScrptStatus Stato = stscrDisabled;
    tessed::Abilita Abilita;
    tessed::Disabilita Disabilita;
};

class Scenari : public KeyedCollection<Scenario> {
  public:
    // Adds `Sin`, or a new Scenario when it is null. The member's own Key is
    // left to the caller.
    std::shared_ptr<Scenario> Add(std::string_view sKey, std::shared_ptr<Scenario> Sin = nullptr);
};

// The project.
class Collezione {
  public:
    std::string Nome;
    std::string Descrizione;
    std::string Autore;
    tessed::TastoPanico TastoPanico;

    // Created on the first read while there is none; the same object afterwards.
    std::shared_ptr<tessed::Scenari> Scenari();
    void SetScenari(std::shared_ptr<tessed::Scenari> s) { scenari_ = std::move(s); }

    // The scenario whose FullPath equals `path`, compared upper-cased; null
    // when none does.
    std::shared_ptr<Scenario> FindByFullPath(std::string_view path);

  private:
    std::shared_ptr<tessed::Scenari> scenari_;
};

// One palette object: its catalogue ID_OBJ as decimal text and the slot groups
// it may be placed in.
class Oggetto {
  public:
    std::string Key;
    bool IsTrigger = false;
    bool IsTriggerSTOP = false;
    bool IsCondOk = false;
    bool IsCondKO = false;
    bool IsAct = false;
    bool IsActElse = false;

    // Sets the six flags from the object's ASS_OBJ_AREE row. Without a row all
    // stay as they are (False for a new object); a failure while reading leaves
    // the flags read so far set.
    void ReadCapabilities(db::Database& db);
};

class Oggetti : public KeyedCollection<Oggetto> {
  public:
    std::shared_ptr<Oggetto> Add(std::string_view sKey);
};

// Configuration values of a configurator device, keyed by configuration name.
using ConfValues = KeyedCollection<std::string>;

// An element dragged in from the configurator.
class cObjOleDrag {
  public:
    int32_t ID_AREA = 0;
    int32_t ID_FAMIGLIA = 0;
    int32_t ID_OBJ = 0;
    int32_t ID_ASS = 0;
    int32_t ID_KO = 0;
    std::string KEY_SYSTEM;
    std::string USERDESCRIPTION;
    int32_t BUS_LEVEL = 0;
    int32_t I1 = 0;
    int32_t I2 = 0;
    bool NoValid = false;                   // set once a drop has applied the payload
    std::shared_ptr<ConfValues> ConfTable;  // shared, set by reference
};

// The process-wide current project. The first call creates an empty one and
// installs the hook by which clearing the working folder replaces it.
std::shared_ptr<Collezione> CurrentProject();
void SetCurrentProject(std::shared_ptr<Collezione> project);
// Installs the working-folder reset hook (idempotent).
void InstallProjectResetHook();

}  // namespace tessed
