#include "DemoCast.h"

namespace quelt::demo {

namespace {

constexpr uint16_t kAway = 0x0001, kOccupied = 0x0010, kNotAvailable = 0x0004;

}  // namespace

const std::vector<Group>& IcqGroups() {
  static const std::vector<Group> groups = {{1, "Friends"}, {2, "Work"}, {3, "Семья"}};
  return groups;
}

const std::vector<IcqPerson>& IcqPeople() {
  static const std::vector<IcqPerson> people = {
      {"100201", "Anna Berg", 1, 0},
      {"100202", "Иван Петров", 1, kAway},
      {"100203", "Marco Rossi", 2, 0},
      {"100204", "Ольга Смирнова", 3, std::nullopt},
      {"100205", "Мама", 3, kOccupied},
      {"100206", "Lena Fischer", 2, std::nullopt},
      {"100208", "Pavel Novák", 2, kNotAvailable},
  };
  return people;
}

const std::vector<Group>& MsnGroups() {
  static const std::vector<Group> groups = {{1, "Friends"}, {2, "Коллеги"}};
  return groups;
}

const std::vector<MsnPerson>& MsnPeople() {
  static const std::vector<MsnPerson> people = {
      {"tom@demo.example", "Tom Baker", 1, "NLN"},   {"olga@demo.example", "Ольга Кузнецова", 1, "NLN"},
      {"mark@demo.example", "Mark Stein", 1, "AWY"}, {"dmitry@demo.example", "Дмитрий Орлов", 2, "BSY"},
      {"sara@demo.example", "Sara Lind", 2, ""},
  };
  return people;
}

std::string EchoOf(const std::string& text) { return "You said \"" + text + "\" :-)"; }

}  // namespace quelt::demo
