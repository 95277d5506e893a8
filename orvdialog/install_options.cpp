// The dependencies between features, checked after the user's selection: where a selected
// feature needs one that is missing, the user is asked whether Setup should repair the
// selection. BadConfig tells the feature dialog whether a repair was declined in this run.
#include <string>

#include "actions.h"
#include "frame/messages.h"

namespace orvdialog {

namespace {

constexpr std::uint32_t kKrnQuestion = 112;
constexpr std::uint32_t kQuestionCaption = 113;
constexpr std::uint32_t kDataPipeQuestion = 144;
constexpr std::uint32_t kIndyQuestion = 147;
constexpr std::uint32_t kStyle = orv::kMbTopmost | orv::kMbIconQuestion | orv::kMbYesNo;

class Rules {
public:
    explicit Rules(orv::ActionContext& context) : context_(context), session_(context.session) {}

    // Rule 1: the IDE's program files need the database engine, unless it is already there.
    void programFilesNeedKrn() {
        // An unreadable marker is not taken for an absent engine.
        const orv::PropertyRead krnExists = session_.read("KRN_EXISTS");
        if (!krnExists.succeeded()) return log("rule 1: KRN_EXISTS cannot be read; skipped");
        if (krnExists.isSet()) return log("rule 1: KRN_EXISTS is set; KRN not checked");
        if (!state("MainProgramFiles").isLocal()) return log("rule 1: MainProgramFiles not local; KRN not checked");
        if (state("KRN").isWanted()) return log("rule 1: KRN wanted with MainProgramFiles; consistent");
        if (askRepair("rule 1: KRN not wanted while MainProgramFiles is local", kKrnQuestion)) {
            session_.requestFeature("KRN", orv::kStateLocal);
            log("rule 1: KRN requested local");
        }
    }

    // Rule 2: without the engine, the IDE's files that use it stay out.
    void krnCommonFollowsKrn() {
        if (state("KRN").isWanted()) return log("rule 2: KRN wanted; KRNCommon left as it is");
        session_.requestFeature("KRNCommon", orv::kStateAbsent);
        log("rule 2: KRN not wanted; KRNCommon requested absent");
    }

    // Rule 3: the Internet controls need DataPipe.
    void internetControlsNeedDataPipe() {
        if (state("DBDirect").isWanted()) return log("rule 3: DBDirect wanted; consistent");
        if (!state("InternetControls").isLocal()) return log("rule 3: DBDirect not wanted, InternetControls not local");
        if (askRepair("rule 3: DBDirect not wanted while InternetControls is local", kDataPipeQuestion)) {
            session_.requestFeature("SOAP", orv::kStateAbsent);
            session_.requestFeature("InternetControls", orv::kStateAbsent);
            log("rule 3: SOAP and InternetControls requested absent");
        }
    }

    // Rule 4: the web services need Indy.
    void soapNeedsIndy() {
        if (state("Indy").isWanted()) return log("rule 4: Indy wanted; consistent");
        if (!state("SOAP").isLocal()) return log("rule 4: Indy not wanted, SOAP not local");
        if (askRepair("rule 4: Indy not wanted while SOAP is local", kIndyQuestion)) {
            session_.requestFeature("SOAP", orv::kStateAbsent);
            log("rule 4: SOAP requested absent");
        }
    }

    // A rule that repaired or found its pair consistent must not hide a repair declined by an
    // earlier one: the selection would pass as consistent although the user said No.
    void reportOutcome() {
        if (declined_) {
            session_.write("BadConfig", "1");
            log("BadConfig set: a repair was declined");
        } else {
            session_.remove("BadConfig");
            log("BadConfig removed: the selection is consistent");
        }
    }

private:
    // States are read afresh each time, so a later rule sees what an earlier one requested.
    orv::StateQuery state(const char* feature) { return session_.featureState(feature); }

    void log(const std::string& line) { context_.log.write(line); }

    // Only Yes repairs; No, a failed box and a silent installation all decline.
    bool askRepair(const std::string& finding, std::uint32_t questionId) {
        log(finding + "; asking " + std::to_string(questionId));
        const bool yes = orv::showMessage(context_, kQuestionCaption, questionId, kStyle) == orv::kIdYes;
        if (!yes) {
            declined_ = true;
            log("repair declined");
        }
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
