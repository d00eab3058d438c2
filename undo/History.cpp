#include "History.h"

#include <algorithm>

namespace {
unsigned FolderHash(const wchar_t* folder) {
    unsigned hash = 2166136261u;
    for (; *folder; ++folder) {
        wchar_t c = *folder;
        CharUpperBuffW(&c, 1);
        hash = (hash ^ c) * 16777619u;
    }
    return hash;
}

void Drop(std::vector<unsigned long long>& stack, unsigned long long id) {
    auto found = std::find(stack.begin(), stack.end(), id);
    if (found != stack.end())
        stack.erase(found);
}
} // namespace

FolderHistory& History::Add(const wchar_t* folder) {
    if (FolderHistory* known = Folder(folder))
        return *known;
    if ((m_folders.size() + 1) * 2 > m_buckets.size()) {
        m_buckets.assign(m_buckets.empty() ? 64 : m_buckets.size() * 2, 0);
        for (size_t i = 0; i < m_folders.size(); ++i) {
            size_t at = m_folders[i].hash & (m_buckets.size() - 1);
            while (m_buckets[at])
                at = (at + 1) & (m_buckets.size() - 1);
            m_buckets[at] = (int)i + 1;
        }
    }
    FolderHistory entry;
    entry.folder = WideText(folder);
    entry.hash = FolderHash(folder);
    size_t at = entry.hash & (m_buckets.size() - 1);
    while (m_buckets[at])
        at = (at + 1) & (m_buckets.size() - 1);
    m_buckets[at] = (int)m_folders.size() + 1;
    m_folders.push_back(entry);
    return m_folders.back();
}

FolderHistory* History::Folder(const wchar_t* folder) {
    if (m_buckets.empty())
        return nullptr;
    const unsigned hash = FolderHash(folder);
    for (size_t at = hash & (m_buckets.size() - 1); m_buckets[at];
         at = (at + 1) & (m_buckets.size() - 1)) {
        FolderHistory& entry = m_folders[(size_t)m_buckets[at] - 1];
        if (entry.hash == hash && SameFolder(entry.folder, folder))
            return &entry;
    }
    return nullptr;
}

bool History::Read() {
    if (!m_contents.Read())
        return false;
    m_folders.reserve(m_contents.firstStates.size() + m_contents.steps.size());
    for (const JournalStep& first : m_contents.firstStates)
        Add(first.folder).first = &first.before;
    for (const JournalAction& action : m_contents.actions) {
        const bool whole = action.reverts != 0;
        if (action.kind == ActionKind::kMark || action.kind == ActionKind::kUnmark) {
            m_undo.push_back(action.id);
            m_redo.clear();
        } else if (action.kind == ActionKind::kUndo && whole) {
            Drop(m_undo, action.reverts);
            m_redo.push_back(action.id);
        } else if (action.kind == ActionKind::kRedo && whole) {
            Drop(m_redo, action.reverts);
            m_undo.push_back(action.id);
        }
    }
    for (const JournalStep& step : m_contents.steps) {
        FolderHistory& folder = Add(step.folder);
        if (!folder.first)
            folder.first = &step.before;
        folder.steps.push_back(&step);
        const JournalAction* action = &m_contents.actions[(size_t)step.actionIndex];
        if (action->kind == ActionKind::kMark || action->kind == ActionKind::kUnmark) {
            folder.undo.push_back(step.action);
            folder.redo.clear();
        } else if (action->kind == ActionKind::kUndo) {
            Drop(folder.undo, step.reverts);
            folder.redo.push_back(step.action);
        } else {
            Drop(folder.redo, step.reverts);
            folder.undo.push_back(step.action);
        }
    }
    return true;
}

const JournalStep* History::StepOf(unsigned long long action, const wchar_t* folder) {
    const FolderHistory* history = Folder(folder);
    for (size_t i = history ? history->steps.size() : 0; i-- > 0;) {
        if (history->steps[i]->action == action)
            return history->steps[i];
    }
    return nullptr;
}

const JournalAction* History::NextAction(bool undo, std::vector<const JournalStep*>& steps) {
    std::vector<unsigned long long>& stack = undo ? m_undo : m_redo;
    while (!stack.empty()) {
        const unsigned long long id = stack.back();
        steps.clear();
        for (const JournalStep& step : m_contents.steps) {
            if (step.action != id)
                continue;
            const FolderHistory* folder = Folder(step.folder);
            const std::vector<unsigned long long>& own = undo ? folder->undo : folder->redo;
            if (!own.empty() && own.back() == id)
                steps.push_back(&step);
        }
        if (!steps.empty())
            return m_contents.Action(id);
        stack.pop_back(); // each of its folders has been taken back one by one
    }
    return nullptr;
}

const JournalAction* History::Origin(const JournalAction& action) const {
    const JournalAction* origin = &action;
    for (int depth = 0; depth < 1000 && origin->reverts; ++depth) {
        const JournalAction* earlier = m_contents.Action(origin->reverts);
        if (!earlier)
            break;
        origin = earlier;
    }
    return origin;
}
