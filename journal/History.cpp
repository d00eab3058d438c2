#include "History.h"

#include <utility>

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

void Drop(Items<unsigned long long>& stack, unsigned long long id) {
    for (int i = stack.Count(); i-- > 0;) {
        if (stack[i] == id)
            return stack.RemoveAt(i);
    }
}
} // namespace

FolderHistory& History::Add(const wchar_t* folder) {
    if (FolderHistory* known = Folder(folder))
        return *known;
    if ((m_folders.Count() + 1) * 2 > m_buckets.Count()) {
        const int buckets = m_buckets.Count() ? m_buckets.Count() * 2 : 64;
        m_buckets.Clear();
        m_buckets.Resize(buckets);
        for (int i = 0; i < m_folders.Count(); ++i) {
            unsigned at = m_folders[i].hash & (unsigned)(m_buckets.Count() - 1);
            while (m_buckets[at])
                at = (at + 1) & (unsigned)(m_buckets.Count() - 1);
            m_buckets[at] = i + 1;
        }
    }
    FolderHistory entry;
    entry.folder = WideText(folder);
    entry.hash = FolderHash(folder);
    unsigned at = entry.hash & (unsigned)(m_buckets.Count() - 1);
    while (m_buckets[at])
        at = (at + 1) & (unsigned)(m_buckets.Count() - 1);
    m_buckets[at] = m_folders.Count() + 1;
    m_folders.Add() = std::move(entry);
    return m_folders.Last();
}

FolderHistory* History::Folder(const wchar_t* folder) {
    if (!m_buckets.Count())
        return nullptr;
    const unsigned hash = FolderHash(folder);
    for (unsigned at = hash & (unsigned)(m_buckets.Count() - 1); m_buckets[at];
         at = (at + 1) & (unsigned)(m_buckets.Count() - 1)) {
        FolderHistory& entry = m_folders[m_buckets[at] - 1];
        if (entry.hash == hash && SameFolder(entry.folder, folder))
            return &entry;
    }
    return nullptr;
}

bool History::Read() {
    if (!m_contents.Read())
        return false;
    m_folders.Reserve(m_contents.firstStates.Count() + m_contents.steps.Count());
    for (const JournalStep& first : m_contents.firstStates)
        Add(first.folder).first = &first.before;
    for (const JournalAction& action : m_contents.actions) {
        const bool whole = action.reverts != 0;
        if (action.kind == ActionKind::kMark || action.kind == ActionKind::kUnmark) {
            m_undo.Add(action.id);
            m_redo.Clear();
        } else if (action.kind == ActionKind::kUndo && whole) {
            Drop(m_undo, action.reverts);
            m_redo.Add(action.id);
        } else if (action.kind == ActionKind::kRedo && whole) {
            Drop(m_redo, action.reverts);
            m_undo.Add(action.id);
        }
    }
    for (const JournalStep& step : m_contents.steps) {
        FolderHistory& folder = Add(step.folder);
        if (!folder.first)
            folder.first = &step.before;
        folder.steps.Add(&step);
        const JournalAction* action = &m_contents.actions[step.actionIndex];
        if (action->kind == ActionKind::kMark || action->kind == ActionKind::kUnmark) {
            folder.undo.Add(step.action);
            folder.redo.Clear();
        } else if (action->kind == ActionKind::kUndo) {
            Drop(folder.undo, step.reverts);
            folder.redo.Add(step.action);
        } else {
            Drop(folder.redo, step.reverts);
            folder.undo.Add(step.action);
        }
    }
    return true;
}

const JournalStep* History::StepOf(unsigned long long action, const wchar_t* folder) {
    const FolderHistory* history = Folder(folder);
    for (int i = history ? history->steps.Count() : 0; i-- > 0;) {
        if (history->steps[i]->action == action)
            return history->steps[i];
    }
    return nullptr;
}

const JournalAction* History::NextAction(bool undo, Items<const JournalStep*>& steps) {
    Items<unsigned long long>& stack = undo ? m_undo : m_redo;
    while (stack.Count()) {
        const unsigned long long id = stack.Last();
        steps.Clear();
        for (const JournalStep& step : m_contents.steps) {
            if (step.action != id)
                continue;
            const FolderHistory* folder = Folder(step.folder);
            const Items<unsigned long long>& own = undo ? folder->undo : folder->redo;
            if (own.Count() && own.Last() == id)
                steps.Add(&step);
        }
        if (steps.Count())
            return m_contents.Action(id);
        stack.RemoveLast(); // each of its folders has been taken back one by one
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
