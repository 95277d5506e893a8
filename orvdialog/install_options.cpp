// The dependencies between features, checked after the user's selection: where a selected
// feature needs one that is missing, the user is asked whether Setup should repair the
// selection. BadConfig tells the feature dialog whether a repair was declined in this run.
#include "actions.h"
#include "frame/messages.h"

namespace orvdialog {

namespace {

constexpr std::uint32_t kQuestionCaption = 113;
constexpr std::uint32_t kStyle = orv::kMbTopmost | orv::kMbIconQuestion | orv::kMbYesNo;

// A feature whose state cannot be read counts as neither installed nor requested.
bool isLocal(const orv::StateQuery& states) {
    return states.succeeded() && (states.installed == orv::kStateLocal || states.action == orv::kStateLocal);
}

// Local, unless this run removes it.
bool isWanted(const orv::StateQuery& states) {
    return isLocal(states) && !(states.installed == orv::kStateLocal && states.action == orv::kStateAbsent);
}

class Rules {
public:
    explicit Rules(orv::ActionContext& context) : context_(context), session_(context.session) {}

    // Rule 1: the IDE's program files need the database engine, unless it is already there.
    void programFilesNeedKrn() {
        // An unreadable marker is not taken for an absent engine.
        const orv::PropertyRead krnExists = session_.read("KRN_EXISTS");
        if (!krnExists.succeeded() || krnExists.isSet()) return;
        if (!isLocal(state("MainProgramFiles")) || isWanted(state("KRN"))) return;
        if (askRepair(112)) session_.requestFeature("KRN", orv::kStateLocal);
    }

    // Rule 2: without the engine, the IDE's files that use it stay out.
    void krnCommonFollowsKrn() {
        if (!isWanted(state("KRN"))) session_.requestFeature("KRNCommon", orv::kStateAbsent);
    }

    // Rule 3: the Internet controls need DataPipe.
    void internetControlsNeedDataPipe() {
        if (isWanted(state("DBDirect")) || !isLocal(state("InternetControls"))) return;
        if (askRepair(144)) {
            session_.requestFeature("SOAP", orv::kStateAbsent);
            session_.requestFeature("InternetControls", orv::kStateAbsent);
        }
    }

    // Rule 4: the web services need Indy.
    void soapNeedsIndy() {
        if (isWanted(state("Indy")) || !isLocal(state("SOAP"))) return;
        if (askRepair(147)) session_.requestFeature("SOAP", orv::kStateAbsent);
    }

    // A rule that repaired or found its pair consistent must not hide a repair declined by an
    // earlier one: the selection would pass as consistent although the user said No.
    void reportOutcome() {
        if (declined_)
            session_.write("BadConfig", "1");
        else
            session_.remove("BadConfig");
    }

private:
    // States are read afresh each time, so a later rule sees what an earlier one requested.
    orv::StateQuery state(const char* feature) { return session_.featureState(feature); }

    bool askRepair(std::uint32_t questionId) {
        const bool yes = orv::showMessage(context_, kQuestionCaption, questionId, kStyle) == orv::kIdYes;
        if (!yes) declined_ = true;
        return yes;
    }

    orv::ActionContext& context_;
    orv::Session& session_;
    bool declined_ = false;
};

}  // namespace

orv::ActionResult validateInstallOptions(orv::ActionContext& context) {
    Rules rules(context);
    rules.programFilesNeedKrn();
    rules.krnCommonFollowsKrn();
    rules.internetControlsNeedDataPipe();
    rules.soapNeedsIndy();
    rules.reportOutcome();
    return orv::ActionResult::Success;
}

}  // namespace orvdialog
